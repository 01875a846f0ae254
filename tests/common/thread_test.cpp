#include "common/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "tests/common/thread_helpers.h"

using namespace thread_test;

namespace {

TEST(Thread, RunsItsWorkOnceOnANewThreadThatFindsItsObject) {
    std::atomic<int> runs{0};
    Thread* seen = nullptr;
    ThreadId seenId = 0;
    Gate release;
    FunctionThread thread([&](std::int32_t argument) {
        runs += argument;
        seen = Thread::currentThread();
        seenId = currentThreadId();
        return release.wait() ? 0 : 1;
    });
    EXPECT_EQ(thread.getState(), ThreadState::New);
    ASSERT_TRUE(thread.start(42));
    EXPECT_FALSE(thread.start(43)) << "started once only";
    EXPECT_TRUE(thread.isAlive());
    EXPECT_EQ(thread.getState(), ThreadState::Running);
    release.open();
    EXPECT_TRUE(thread.join());
    EXPECT_EQ(runs, 42);
    EXPECT_EQ(seen, &thread);
    EXPECT_EQ(seenId, thread.getId());
    EXPECT_NE(seenId, currentThreadId());
    EXPECT_NE(thread.getHandle(), ThreadHandle{});
    EXPECT_EQ(thread.getState(), ThreadState::Terminated);
    EXPECT_FALSE(thread.start(44)) << "an ended thread cannot be started again";
}

TEST(Thread, InterruptedAndAdoptedObjectsAreNeverStarted) {
    FunctionThread thread([](std::int32_t) -> int { throw std::logic_error("never run"); });
    thread.interrupt();
    EXPECT_FALSE(thread.start(0));
    EXPECT_EQ(thread.getState(), ThreadState::New);
    EXPECT_FALSE(thread.join()) << "join reports the interrupt";
    EXPECT_FALSE(Thread::currentThread()->start(0));
}

TEST(Thread, AnExceptionFromTheWorkEndsTheThreadNormally) {
    FunctionThread thread([](std::int32_t) -> int { throw std::runtime_error("failed"); });
    ASSERT_TRUE(thread.start(0));
    EXPECT_TRUE(thread.join());
    EXPECT_EQ(thread.getState(), ThreadState::Terminated);
}

TEST(ThreadSleep, AnInterruptEndsTheSleepEarlyAndEveryLaterSleepAtOnce) {
    bool first = true, second = true;
    long long firstMs = 0, secondMs = 0;
    ThreadState afterSleep = ThreadState::New;
    FunctionThread thread([&](std::int32_t) {
        auto start = Clock::now();
        first = Thread::sleep(5000);
        firstMs = millisecondsSince(start);
        afterSleep = Thread::currentThread()->getState();
        start = Clock::now();
        second = Thread::sleep(5000);
        secondMs = millisecondsSince(start);
        return 0;
    });
    ASSERT_TRUE(thread.start(0));
    ASSERT_TRUE(eventually([&] { return thread.getState() == ThreadState::TimedWaiting; }));
    thread.interrupt();
    EXPECT_FALSE(thread.join()) << "released by the interrupt, maybe before the thread ends";
    ASSERT_TRUE(eventually([&] { return !thread.isAlive(); }));
    EXPECT_FALSE(first);
    EXPECT_LT(firstMs, 2500) << "woken by the interrupt, not by the end of the 5 s";
    EXPECT_EQ(afterSleep, ThreadState::Running) << "the state before the sleep comes back";
    EXPECT_FALSE(second);
    EXPECT_LT(secondMs, 2500);
}

TEST(ThreadSleep, AnUninterruptedSleepLastsItsTime) {
    const auto start = Clock::now();
    EXPECT_TRUE(Thread::sleep(30));
    EXPECT_GE(millisecondsSince(start), 30);
}

}  // namespace
