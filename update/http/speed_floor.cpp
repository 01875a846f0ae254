#include "update/http/speed_floor.h"

#include <limits>

namespace update {

namespace {

// Rounded up: a window of 200 ms at 1000 bytes a second needs 200 bytes, at 1001 it needs 201.
std::uint64_t bytesFor(std::int64_t bytesPerSecond, std::chrono::milliseconds window) {
    if (bytesPerSecond <= 0 || window.count() <= 0) return 0;
    const auto perSecond = static_cast<std::uint64_t>(bytesPerSecond);
    const auto ms = static_cast<std::uint64_t>(window.count());
    if (perSecond > std::numeric_limits<std::uint64_t>::max() / ms) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return (perSecond * ms + 999) / 1000;
}

}  // namespace

SpeedFloor::SpeedFloor(std::int64_t bytesPerSecond, std::chrono::milliseconds window)
    : window_(window), needed_(bytesFor(bytesPerSecond, window)) {}

bool SpeedFloor::keepsUp(Duration waited, std::uint64_t arrived) {
    if (!enabled()) return true;
    waited_ += waited;
    if (waited_ < window_) return true;
    if (arrived - windowStart_ < needed_) return false;
    waited_ = Duration::zero();
    windowStart_ = arrived;
    return true;
}

SpeedFloor::Duration SpeedFloor::left() const {
    if (!enabled()) return Duration::max();
    return waited_ < window_ ? Duration(window_) - waited_ : Duration::zero();
}

}  // namespace update
