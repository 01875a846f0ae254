#include "platform/os/clock.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

namespace {

using Steady = std::chrono::steady_clock;

// The monotonic clock, shifted forward after a spell of virtual time so that readings never go
// back.
class RealTime final : public TimeSource {
  public:
    Clock::time_point now() const override {
        return Clock::time_point(Steady::now().time_since_epoch() + offset());
    }
    void sleepFor(Clock::duration duration) override { std::this_thread::sleep_for(duration); }
    std::optional<Steady::time_point> steadyDeadline(Clock::time_point deadline) const override {
        return Steady::time_point(deadline.time_since_epoch() - offset());
    }
    bool isVirtual() const override { return false; }

    void continueFrom(Clock::time_point reading) {
        const Clock::duration behind = reading - now();
        if (behind > Clock::duration::zero()) offset_ += behind.count();
    }

  private:
    Clock::duration offset() const { return Clock::duration(offset_.load()); }

    std::atomic<Clock::rep> offset_{0};
};

// Never destroyed: threads still read the clock while the process exits.
RealTime& realTime() {
    static auto* instance = new RealTime;
    return *instance;
}

std::atomic<TimeSource*>& installed() {
    static auto* instance = new std::atomic<TimeSource*>(&realTime());
    return *instance;
}

TimeSource& source() { return *installed().load(); }

struct Watchers {
    std::mutex mutex;
    std::vector<ClockWatcher*> pumps;
};

Watchers& watchers() {
    static auto* instance = new Watchers;
    return *instance;
}

Clock::time_point processStart() {
    static const Clock::time_point start = Clock::now();
    return start;
}

// Taken while the program loads, before anything can write a trace line.
[[maybe_unused]] const Clock::time_point g_startTaken = processStart();

}  // namespace

Clock::time_point Clock::now() noexcept { return source().now(); }

void sleepFor(std::chrono::milliseconds duration) { source().sleepFor(duration); }

std::int64_t millisecondsSinceStart() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - processStart())
        .count();
}

bool onVirtualTime() { return source().isVirtual(); }

std::optional<Steady::time_point> steadyDeadline(Clock::time_point deadline) {
    return source().steadyDeadline(deadline);
}

void setTimeSource(TimeSource* next) {
    if (next == nullptr) {
        realTime().continueFrom(source().now());
        next = &realTime();
    }
    installed().store(next);
    wakeClockWatchers();
}

void watchClock(ClockWatcher* pump) {
    std::lock_guard lock(watchers().mutex);
    watchers().pumps.push_back(pump);
}

void unwatchClock(ClockWatcher* pump) {
    std::lock_guard lock(watchers().mutex);
    std::erase(watchers().pumps, pump);
}

void wakeClockWatchers() {
    std::lock_guard lock(watchers().mutex);
    for (ClockWatcher* pump : watchers().pumps) pump->wake();
}

}  // namespace platform
