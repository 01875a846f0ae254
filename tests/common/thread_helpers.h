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

// Polls `condition` until it holds, for at most five seconds.
inline bool eventually(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(milliseconds(1));
    }
    return true;
}

// A gate between threads that, once open, stays open; nobody waits at it longer than five
// seconds.
class Gate {
  public:
    void open() {
        std::lock_guard<std::mutex> guard(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    bool wait() {
        std::unique_lock<std::mutex> guard(mutex_);
        return opened_.wait_for(guard, std::chrono::seconds(5), [this] { return open_; });
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
