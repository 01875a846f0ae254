#include "common/locks.h"

void CriticalSectionLock::lock() {
    mutex_.lock();
    if (depth_++ == 0) owner_.store(currentThreadId(), std::memory_order_relaxed);
}

bool CriticalSectionLock::tryLock() {
    if (owner_.load(std::memory_order_relaxed) != 0) return false;
    // The caller does not own the lock, so a successful try is a first acquisition; another
    // thread that took it meanwhile makes the try fail instead of waiting.
    if (!mutex_.try_lock()) return false;
    ++depth_;
    owner_.store(currentThreadId(), std::memory_order_relaxed);
    return true;
}

void CriticalSectionLock::unlock() {
    if (--depth_ == 0) owner_.store(0, std::memory_order_relaxed);
    mutex_.unlock();
}

ScopedLock::ScopedLock(Lockable* lockable) : lockable_(lockable) {
    if (lockable_ != nullptr) lockable_->lock();
}

ScopedLock::~ScopedLock() {
    if (lockable_ != nullptr) lockable_->unlock();
}
