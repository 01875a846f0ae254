// The floor speed of a transfer: each time the reader's waits for data add up to a window, the
// body bytes that arrived during that window must reach the floor times the window, or the
// transfer is too slow. Only waiting time is counted, as for the stall time-out: a reader that
// spends time elsewhere (writing a file, digesting) does not make the server look slow.
#pragma once

#include <chrono>
#include <cstdint>

namespace update {

class SpeedFloor {
  public:
    using Duration = std::chrono::steady_clock::duration;

    // `bytesPerSecond` 0 (or an empty window) checks nothing.
    SpeedFloor(std::int64_t bytesPerSecond, std::chrono::milliseconds window);

    // Adds `waited` to the current window, `arrived` being the body bytes received so far in
    // all. False when this closes the window with fewer bytes than the floor asks for; a window
    // that had enough starts the next one.
    bool keepsUp(Duration waited, std::uint64_t arrived);
    // The waiting time left before the current window closes; `Duration::max()` without a floor.
    Duration left() const;
    // The bytes a window must bring.
    std::uint64_t bytesPerWindow() const { return needed_; }
    std::chrono::milliseconds window() const { return window_; }

  private:
    bool enabled() const { return needed_ > 0; }

    std::chrono::milliseconds window_;
    std::uint64_t needed_ = 0;
    Duration waited_{0};
    std::uint64_t windowStart_ = 0;
};

}  // namespace update
