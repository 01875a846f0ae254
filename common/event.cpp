#include "common/event.h"

#include <chrono>

void Event::set() {
    std::lock_guard<std::mutex> guard(mutex_);
    set_ = true;
    signalled_.notify_one();
}

void Event::setForGood() {
    std::lock_guard<std::mutex> guard(mutex_);
    forGood_ = true;
    signalled_.notify_all();
}

bool Event::wait(std::uint32_t milliseconds) {
    std::unique_lock<std::mutex> guard(mutex_);
    const auto ready = [this] { return set_ || forGood_; };
    if (milliseconds == kInfinite) {
        signalled_.wait(guard, ready);
    } else if (!signalled_.wait_for(guard, std::chrono::milliseconds(milliseconds), ready)) {
        return false;
    }
    set_ = false;
    return true;
}
