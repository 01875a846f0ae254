// A Win32 auto-reset event: set() lets exactly one wait through, now or later, and the wait
// that passes resets it. setForGood() leaves it signalled for every present and future wait.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class Event {
  public:
    static constexpr std::uint32_t kInfinite = 0xFFFFFFFF;

    void set();
    void setForGood();
    // Waits at most `milliseconds` (kInfinite: no limit) for the event; true when signalled.
    bool wait(std::uint32_t milliseconds);

  private:
    std::mutex mutex_;
    std::condition_variable signalled_;
    bool set_ = false;
    bool forGood_ = false;
};
