// Tests on virtual time: the process clock moves only when a sleep or the test moves it, so
// deadlines are met to the millisecond and take no real time (platform/headless/virtual_time.h).
#pragma once

#include <chrono>

#include "platform/headless/virtual_time.h"

namespace test_support {

// Puts the process on virtual time for the life of this object, then back on the real clock.
class VirtualClock {
  public:
    VirtualClock() : time_(platform::VirtualTime::start()) {}
    ~VirtualClock() { platform::VirtualTime::stop(); }
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    platform::Clock::time_point now() const { return time_.now(); }
    // Moves the clock in one step, handling nothing; threads waiting in their loops wake.
    void advance(std::chrono::milliseconds duration) { time_.advance(duration); }
    // Moves the clock `duration` forward in the steps at which the calling thread's timers and
    // tasks fall due, handling at each step what is due then: every deadline on the way is met
    // at its own moment, and the thread's pending messages are handled at the end.
    void runFor(std::chrono::milliseconds duration);

  private:
    platform::VirtualTime& time_;
};

}  // namespace test_support
