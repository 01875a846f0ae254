// Virtual time for tests on the headless backend. The process clock stands still but when a
// sleep moves it to the sleep's end or the test moves it; pumps waiting for a deadline wake at
// each move and look again. A five-second deadline then takes no five seconds and is met to the
// millisecond, however loaded the machine.
#pragma once

#include <atomic>

#include "platform/os/clock.h"

namespace platform {

class VirtualTime final : public TimeSource {
  public:
    // Puts the process on virtual time, which starts from the clock's present reading; on it
    // already, goes on as it is.
    static VirtualTime& start();
    // Returns the process to the real clock, which goes on from the virtual reading.
    static void stop();

    Clock::time_point now() const override;
    void sleepFor(Clock::duration duration) override;
    std::optional<std::chrono::steady_clock::time_point> steadyDeadline(
        Clock::time_point deadline) const override;
    bool isVirtual() const override { return true; }

    // Moves the clock forward to `moment` (never back) and wakes the waiting pumps.
    void advanceTo(Clock::time_point moment);
    void advance(Clock::duration duration) { advanceTo(now() + duration); }

  private:
    std::atomic<Clock::rep> reading_{0};
};

}  // namespace platform
