// Pieces shared by the thread library's tests.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "common/thread.h"

namespace thread_test {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A Thread whose work is a function, which must not outlive the object.
class FunctionThread : public Thread {
  public:
    explicit FunctionThread(std::function<int(std::int32_t)> work) : work_(std::move(work)) {}
    ~FunctionThread() override = default;
    int run(std::int32_t argument) override { return work_(argument); }

  private:
    std::function<int(std::int32_t)> work_;
};

// How long a wait for a condition may take before it counts as never: only a fault reaches it,
// however loaded the machine.
inline constexpr std::chrono::seconds kPatience{60};

// Polls `condition` until it holds, for at most `kPatience`.
inline bool eventually(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + kPatience;
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(milliseconds(1));
    }
    return true;
}

// A gate between threads that, once open, stays open; nobody waits at it longer than
// `kPatience`.
class Gate {
  public:
    void open() {
        std::lock_guard<std::mutex> guard(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    bool wait() {
        std::unique_lock<std::mutex> guard(mutex_);
        return opened_.wait_for(guard, kPatience, [this] { return open_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

inline long long millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

}  // namespace thread_test
