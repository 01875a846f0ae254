// The launcher's start-up worker keeps the splash up for 2000 ms from the start of its checks,
// on the process clock: on virtual time, to the millisecond.
#include "launcher/startup_thread.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/os/clock.h"
#include "tests/support/virtual_clock.h"

namespace {

using namespace std::chrono_literals;
using platform::Clock;
using Millis = std::chrono::milliseconds;

// The worker's course on a thread of its own, as the launcher runs it.
class Worker : public Thread {
  public:
    explicit Worker(std::function<bool()> checks) : checks_(std::move(checks)) {}
    ~Worker() override { join(); }
    int run(std::int32_t) override {
        StartupThread::checkThenClose(checks_, [this] { closedAt = Clock::now(); });
        return 0;
    }
    std::optional<Clock::time_point> closedAt;

  private:
    std::function<bool()> checks_;
};

class StartupFloorTest : public ::testing::Test {
  protected:
    // Runs checks that take `duration` and pass or fail; the time from their start to the
    // splash's close, nullopt when it was not closed.
    std::optional<Millis> closedAfter(Millis duration, bool pass = true) {
        Clock::time_point began;
        Worker worker([&] {
            began = Clock::now();
            platform::sleepFor(duration);
            return pass;
        });
        EXPECT_TRUE(worker.start(0));
        worker.join();
        if (!worker.closedAt) return std::nullopt;
        return std::chrono::duration_cast<Millis>(*worker.closedAt - began);
    }

    test_support::VirtualClock clock;
};

TEST_F(StartupFloorTest, QuickerChecksKeepTheSplashUpUntil2000MsAfterTheyBegan) {
    EXPECT_EQ(closedAfter(0ms), 2000ms);
    EXPECT_EQ(closedAfter(500ms), 2000ms);
    EXPECT_EQ(closedAfter(1999ms), 2000ms);
}

TEST_F(StartupFloorTest, SlowerChecksCloseTheSplashAsSoonAsTheyEnd) {
    EXPECT_EQ(closedAfter(2000ms), 2000ms);
    EXPECT_EQ(closedAfter(2300ms), 2300ms);
}

TEST_F(StartupFloorTest, FailedChecksCloseNothingAndWaitNoLonger) {
    const auto before = clock.now();
    EXPECT_EQ(closedAfter(300ms, false), std::nullopt);
    EXPECT_EQ(clock.now() - before, 300ms);
}

// The user closed the splash: the launcher destroys the worker, which interrupts its wait.
TEST_F(StartupFloorTest, AnInterruptedWaitEndsTheWorkerWithoutClosing) {
    Worker worker([] {
        Thread::currentThread()->interrupt();
        return true;
    });
    ASSERT_TRUE(worker.start(0));
    // The interrupt also releases one join before the body ends.
    while (worker.isAlive()) worker.join();
    EXPECT_FALSE(worker.closedAt.has_value());
}

}  // namespace
