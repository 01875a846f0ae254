#include <gtest/gtest.h>

#include <atomic>

#include "common/thread.h"
#include "tests/common/thread_helpers.h"

using namespace thread_test;

namespace {

// A thread that works until the test opens its gate.
struct HeldThread {
    Gate release;
    FunctionThread thread{[this](std::int32_t) { return release.wait() ? 0 : 1; }};

    HeldThread() { EXPECT_TRUE(thread.start(0)); }
    // Waits for the end itself: an interrupted thread's join may return before it.
    ~HeldThread() {
        release.open();
        EXPECT_TRUE(eventually([this] { return !thread.isAlive(); }));
    }
};

// A thread that joins the held thread (with `milliseconds` as time limit) and keeps the
// result. It lets the held thread end before it goes, so that its own thread ends first.
struct Joiner {
    HeldThread& target;
    std::atomic<bool> done{false};
    bool result = false;
    FunctionThread thread{[this](std::int32_t limit) {
        result = target.thread.join(static_cast<std::uint32_t>(limit));
        done = true;
        return 0;
    }};

    Joiner(HeldThread& held, std::int32_t milliseconds) : target(held) {
        EXPECT_TRUE(thread.start(milliseconds));
    }
    ~Joiner() {
        target.release.open();
        thread.join();
    }
    bool waitsIn(ThreadState state) {
        return eventually([&] { return thread.getState() == state; });
    }
};

TEST(ThreadJoin, AnEndedThreadIsJoinedAtOnceAndTheResultTellsTheInterrupt) {
    FunctionThread thread([](std::int32_t) { return 0; });
    ASSERT_TRUE(thread.start(0));
    ASSERT_TRUE(eventually([&] { return !thread.isAlive(); }));
    EXPECT_TRUE(thread.join());
    thread.interrupt();
    EXPECT_FALSE(thread.join());
}

// A join that runs out of time says true: only isAlive tells that the thread still runs.
TEST(ThreadJoin, JoinersWaitForTheEndUnlessTheirTimeRunsOut) {
    HeldThread target;
    Joiner unlimited(target, 0), limited(target, 60000);
    ASSERT_TRUE(unlimited.waitsIn(ThreadState::Waiting));
    ASSERT_TRUE(limited.waitsIn(ThreadState::TimedWaiting));
    const auto start = Clock::now();
    EXPECT_TRUE(target.thread.join(50));
    EXPECT_GE(millisecondsSince(start), 50);
    EXPECT_TRUE(target.thread.isAlive());
    target.release.open();
    ASSERT_TRUE(eventually([&] { return unlimited.done && limited.done; }))
        << "the end of the thread releases every joiner";
    EXPECT_TRUE(unlimited.result && limited.result);
}

TEST(ThreadJoin, AnInterruptReleasesAJoinerWithFalseWhileTheThreadRunsOn) {
    HeldThread target;
    Joiner joiner(target, 0);
    ASSERT_TRUE(joiner.waitsIn(ThreadState::Waiting));
    target.thread.interrupt();
    ASSERT_TRUE(eventually([&] { return joiner.done.load(); }));
    EXPECT_FALSE(joiner.result);
    EXPECT_TRUE(target.thread.isAlive());
}

}  // namespace
