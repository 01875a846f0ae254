// The process clock: real by default, virtual when a test asks, and never going back.
#include "platform/os/clock.h"

#include <gtest/gtest.h>

#include "platform/headless/virtual_time.h"

namespace {

using namespace std::chrono_literals;
using platform::Clock;
using platform::VirtualTime;

class ClockTest : public ::testing::Test {
  protected:
    void TearDown() override { VirtualTime::stop(); }
};

TEST_F(ClockTest, OnVirtualTimeTheClockStandsStillButForSleepsAndMoves) {
    VirtualTime& time = VirtualTime::start();
    EXPECT_TRUE(platform::onVirtualTime());
    const auto start = Clock::now();
    EXPECT_EQ(Clock::now(), start);
    platform::sleepFor(250ms);
    EXPECT_EQ(Clock::now() - start, 250ms) << "a sleep moves it to its end";
    time.advance(1s);
    time.advanceTo(start);
    EXPECT_EQ(Clock::now() - start, 1250ms) << "never back";
    EXPECT_EQ(&VirtualTime::start(), &time);
    EXPECT_EQ(Clock::now() - start, 1250ms) << "starting again goes on as it is";
}

TEST_F(ClockTest, BackOnTheRealClockTimeGoesOnFromTheVirtualReading) {
    VirtualTime& time = VirtualTime::start();
    time.advance(1h);
    const auto virtualEnd = Clock::now();
    const auto sinceStart = platform::millisecondsSinceStart();
    EXPECT_GE(sinceStart, 3600000);
    VirtualTime::stop();
    EXPECT_FALSE(platform::onVirtualTime());
    EXPECT_GE(Clock::now(), virtualEnd);
    EXPECT_GE(platform::millisecondsSinceStart(), sinceStart);
    const auto before = Clock::now();
    platform::sleepFor(5ms);
    EXPECT_GE(Clock::now() - before, 5ms) << "real sleeps take their time again";
}

TEST_F(ClockTest, OnTheRealClockDeadlinesHaveTheirSteadyMoment) {
    const auto deadline = Clock::now() + 1s;
    const auto steady = platform::steadyDeadline(deadline);
    ASSERT_TRUE(steady.has_value());
    EXPECT_LE(*steady - std::chrono::steady_clock::now(), 1s);
    VirtualTime::start();
    EXPECT_FALSE(platform::steadyDeadline(Clock::now() + 1ms).has_value())
        << "only a move of virtual time brings a deadline ahead";
    EXPECT_LE(*platform::steadyDeadline(Clock::now()), std::chrono::steady_clock::now())
        << "one that has come ends a wait at once";
}

}  // namespace
