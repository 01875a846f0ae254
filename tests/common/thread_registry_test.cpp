#include "common/thread_registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "tests/common/thread_helpers.h"

using namespace thread_test;

namespace {

TEST(ThreadAdoption, AThreadNotStartedHereGetsOneObjectForItsWholeLife) {
    Thread* first = nullptr;
    Thread* second = nullptr;
    std::thread([&] {
        first = Thread::currentThread();
        second = Thread::currentThread();
    }).join();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, Thread::currentThread()) << "each thread has its own";
    EXPECT_EQ(first->getState(), ThreadState::Running);
    EXPECT_EQ(ThreadRegistry::instance().find(first->getId()), first)
        << "kept after its thread ended, until the registry goes at exit";
}

// What a thread whose object is destroyed under it sees, written to memory the test owns.
struct Observations {
    Gate started, objectGone, finished;
    bool firstSleep = true, laterSleep = true, interrupted = false, canStart = true;
    ThreadId id = 0;
};

// Its work copies what it needs out of the object before the test destroys the object, and
// never touches the object afterwards.
class Observed : public Thread {
  public:
    explicit Observed(std::shared_ptr<Observations> seen) : seen_(std::move(seen)) {}
    int run(std::int32_t) override {
        const std::shared_ptr<Observations> seen = seen_;
        seen->id = getId();
        seen->started.open();
        seen->firstSleep = Thread::sleep(5000);
        seen->objectGone.wait();
        seen->laterSleep = Thread::sleep(5000);
        seen->interrupted = Thread::currentThread()->isInterrupted();
        seen->canStart = Thread::currentThread()->start(0);
        seen->finished.open();
        return 0;
    }

  private:
    std::shared_ptr<Observations> seen_;
};

TEST(ThreadDestruction, TheThreadOfADestroyedObjectRunsOnInterrupted) {
    const auto seen = std::make_shared<Observations>();
    auto thread = std::make_unique<Observed>(seen);
    ASSERT_TRUE(thread->start(0));
    ASSERT_TRUE(seen->started.wait());
    thread.reset();  // returns while the thread still waits for objectGone
    seen->objectGone.open();
    ASSERT_TRUE(seen->finished.wait());
    EXPECT_FALSE(seen->firstSleep) << "the destructor interrupts the sleep";
    EXPECT_FALSE(seen->laterSleep);
    EXPECT_TRUE(seen->interrupted);
    EXPECT_FALSE(seen->canStart);
    EXPECT_TRUE(eventually([&] { return ThreadRegistry::instance().find(seen->id) == nullptr; }))
        << "the thread's stand-in object goes when the thread ends";
}

TEST(ThreadDestruction, AnEndedObjectLeavesTheRegistryWithItsDestructor) {
    auto thread = std::make_unique<FunctionThread>([](std::int32_t) { return 0; });
    ASSERT_TRUE(thread->start(0));
    const ThreadId id = thread->getId();
    thread->join();
    EXPECT_EQ(ThreadRegistry::instance().find(id), thread.get());
    thread.reset();
    EXPECT_EQ(ThreadRegistry::instance().find(id), nullptr);
}

}  // namespace
