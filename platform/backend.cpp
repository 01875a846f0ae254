#include "platform/backend.h"

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace platform {

namespace {

std::unique_ptr<Backend>& installed() {
    // Never destroyed: windows of process-wide objects are destroyed during static destruction
    // and still talk to their backend then.
    static auto* instance = new std::unique_ptr<Backend>;
    return *instance;
}

class ConditionPump final : public EventPump {
  public:
    ConditionPump() { watchClock(this); }
    ~ConditionPump() override { unwatchClock(this); }

    void wait(std::optional<Clock::time_point> deadline) override {
        // On virtual time a deadline ahead has no steady moment: a move of the clock wakes
        // this pump instead.
        const auto until = deadline ? steadyDeadline(*deadline) : std::nullopt;
        std::unique_lock lock(mutex_);
        if (until)
            condition_.wait_until(lock, *until, [this] { return woken_; });
        else
            condition_.wait(lock, [this] { return woken_; });
        woken_ = false;
    }
    void wake() override {
        {
            std::lock_guard lock(mutex_);
            woken_ = true;
        }
        condition_.notify_one();
    }

  private:
    std::mutex mutex_;
    std::condition_variable condition_;
    bool woken_ = false;
};

}  // namespace

Backend& backend() {
    if (!installed()) throw std::logic_error("no window backend installed");
    return *installed();
}

void setBackend(std::unique_ptr<Backend> backend) {
    // A replaced backend is kept: windows it made (a process-wide console, say) still talk to
    // it until they are destroyed.
    static auto* retired = new std::vector<std::unique_ptr<Backend>>;
    if (installed()) retired->push_back(std::move(installed()));
    installed() = std::move(backend);
}

bool hasBackend() { return installed() != nullptr; }

std::unique_ptr<EventPump> makeConditionPump() { return std::make_unique<ConditionPump>(); }

}  // namespace platform
