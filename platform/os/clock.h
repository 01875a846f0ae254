// The process's one clock and one sleep. Programs run on the monotonic clock. A test may put
// the process on virtual time (platform/headless/virtual_time.h): the clock then stands still
// until a sleep or the test moves it, and every deadline of the platform follows it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace platform {

// What waits for deadlines of this clock and must look at them again when virtual time moves:
// the window system's event pumps.
class ClockWatcher {
  public:
    // Callable from any thread.
    virtual void wake() = 0;

  protected:
    ~ClockWatcher() = default;
};

// The clock of every deadline in the platform: thread timers, delayed tasks, GetTickCount.
struct Clock {
    using duration = std::chrono::steady_clock::duration;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<Clock>;
    static constexpr bool is_steady = true;
    static time_point now() noexcept;
};

// Lets `duration` pass. On virtual time the clock moves to the sleep's end at once (unless it
// is already past it), and the sleep returns without waiting.
void sleepFor(std::chrono::milliseconds duration);

// Whole milliseconds of the clock since the process started.
std::int64_t millisecondsSinceStart();

bool onVirtualTime();

// The steady-clock moment at which a wait for `deadline` ends by itself; nullopt on virtual
// time while the deadline lies ahead, since only a move of the clock brings it then.
std::optional<std::chrono::steady_clock::time_point> steadyDeadline(Clock::time_point deadline);

// Where the clock's readings come from. The real source is installed from the start.
class TimeSource {
  public:
    virtual ~TimeSource() = default;
    virtual Clock::time_point now() const = 0;
    virtual void sleepFor(Clock::duration duration) = 0;
    virtual std::optional<std::chrono::steady_clock::time_point> steadyDeadline(
        Clock::time_point deadline) const = 0;
    virtual bool isVirtual() const = 0;
};

// Makes `source` (kept alive by the caller) the process's clock; nullptr returns to the real
// clock, which then goes on from the last reading, never back.
void setTimeSource(TimeSource* source);

// Watchers that wait for deadlines of this clock. A move of virtual time wakes them all, so that
// each looks at its deadlines again.
void watchClock(ClockWatcher* watcher);
void unwatchClock(ClockWatcher* watcher);
void wakeClockWatchers();

}  // namespace platform
