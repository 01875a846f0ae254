#include "common/thread_control.h"

#include "platform/os/clock.h"

ThreadState ThreadControl::state() {
    ScopedLock guard(&lock);
    return state_;
}

void ThreadControl::setState(ThreadState state) {
    ScopedLock guard(&lock);
    state_ = state;
}

bool ThreadControl::isAlive() {
    ScopedLock guard(&lock);
    return state_ != ThreadState::New && state_ != ThreadState::Terminated;
}

bool ThreadControl::isInterrupted() {
    ScopedLock guard(&lock);
    return interrupted_;
}

void ThreadControl::interrupt() {
    ScopedLock guard(&lock);
    interrupted_ = true;
    wake.set();
    finish.set();
}

bool ThreadControl::sleep(std::uint32_t milliseconds) {
    ThreadState saved;
    {
        ScopedLock guard(&lock);
        if (interrupted_) return false;
        saved = state_;
        state_ = ThreadState::TimedWaiting;
    }
    if (platform::onVirtualTime()) {
        // The clock moves to the sleep's end at once: an interrupt can only come before it.
        platform::sleepFor(std::chrono::milliseconds(milliseconds));
    } else {
        wake.wait(milliseconds);
    }
    ScopedLock guard(&lock);
    state_ = saved;
    return !interrupted_;
}

ThreadState ThreadControl::beginWait(ThreadState waiting) {
    ScopedLock guard(&lock);
    const ThreadState saved = state_;
    state_ = waiting;
    return saved;
}

bool ThreadControl::enterBody() {
    ScopedLock guard(&lock);
    return !abandoned_;
}

void ThreadControl::abandon() {
    ScopedLock guard(&lock);
    abandoned_ = true;
}

bool ThreadControl::endBody() {
    ScopedLock guard(&lock);
    state_ = ThreadState::Terminated;
    finish.setForGood();
    return orphaned;
}
