#include "platform/headless/virtual_time.h"

namespace platform {

namespace {

// Never destroyed, like the real clock: threads may read it while the process exits.
VirtualTime& instance() {
    static auto* time = new VirtualTime;
    return *time;
}

}  // namespace

VirtualTime& VirtualTime::start() {
    VirtualTime& time = instance();
    if (!onVirtualTime()) {
        time.reading_ = Clock::now().time_since_epoch().count();
        setTimeSource(&time);
    }
    return time;
}

void VirtualTime::stop() {
    if (onVirtualTime()) setTimeSource(nullptr);
}

Clock::time_point VirtualTime::now() const {
    return Clock::time_point(Clock::duration(reading_.load()));
}

void VirtualTime::sleepFor(Clock::duration duration) { advance(duration); }

std::optional<std::chrono::steady_clock::time_point> VirtualTime::steadyDeadline(
    Clock::time_point deadline) const {
    if (deadline <= now()) return std::chrono::steady_clock::time_point::min();
    return std::nullopt;
}

void VirtualTime::advanceTo(Clock::time_point moment) {
    const Clock::rep target = moment.time_since_epoch().count();
    Clock::rep reading = reading_.load();
    while (reading < target && !reading_.compare_exchange_weak(reading, target)) {
    }
    wakeClockWatchers();
}

}  // namespace platform
