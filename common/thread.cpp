#include "common/thread.h"

#include <pthread.h>

#include <system_error>

#include "common/thread_registry.h"

Thread::Thread() : control_(std::make_shared<ThreadControl>(ThreadState::New)), adopted_(false) {}

Thread::Thread(Adopt, std::shared_ptr<ThreadControl> control, ThreadId id, ThreadHandle handle)
    : control_(std::move(control)), adopted_(true), handle_(handle), id_(id) {}

Thread::~Thread() {
    if (!adopted_) {
        leaveRunningThread();
    } else if (!ThreadRegistry::isDestroyed()) {
        ThreadRegistry::instance().remove(id_);
    }
    if (thread_.joinable()) thread_.detach();
}

void Thread::leaveRunningThread() {
    if (!handOverRegistration()) return;
    interrupt();
    Thread::sleep(1);
}

// Unregisters this object. A thread that still runs keeps an entry, taken over by an object
// that shares its control, so that it still finds itself after this object is gone. Returns
// whether the thread still runs.
bool Thread::handOverRegistration() {
    ScopedLock guard(&control_->lock);
    control_->abandon();
    const bool alive = control_->isAlive();
    if (ThreadRegistry::isDestroyed()) return alive;
    if (!alive) {
        ThreadRegistry::instance().remove(id_);
        return false;
    }
    control_->orphaned = true;
    ThreadRegistry::instance().adoptOrphan(new Thread(Adopt{}, control_, id_, handle_.load()));
    return true;
}

int Thread::run(std::int32_t) { return 0; }

bool Thread::isAlive() { return control_->isAlive(); }

void Thread::interrupt() { control_->interrupt(); }

bool Thread::isInterrupted() { return control_->isInterrupted(); }

bool Thread::join() { return join(0); }

bool Thread::join(std::uint32_t milliseconds) {
    if (!isAlive()) return !isInterrupted();
    const std::shared_ptr<ThreadControl> caller = ThreadRegistry::instance().currentControl();
    const ThreadState saved =
        caller->beginWait(milliseconds == 0 ? ThreadState::Waiting : ThreadState::TimedWaiting);
    control_->finish.wait(milliseconds == 0 ? Event::kInfinite : milliseconds);
    caller->setState(saved);
    return !isInterrupted();
}

bool Thread::start(std::int32_t argument) {
    {
        ScopedLock guard(&control_->lock);
        if (adopted_ || control_->state() != ThreadState::New) return false;
        if (control_->isInterrupted()) return false;
        // Registered and Running before the thread exists: its body may ask for its object at
        // once, and its Terminated must not be overwritten by a late Running.
        argument_ = argument;
        id_ = newThreadId();
        control_->setState(ThreadState::Running);
    }
    ThreadRegistry::instance().add(this);
    if (launch()) return true;
    ThreadRegistry::instance().remove(id_);
    id_ = 0;
    control_->setState(ThreadState::New);
    return false;
}

bool Thread::launch() {
    try {
        thread_ = std::thread(&Thread::body, this, control_, id_.load());
    } catch (const std::system_error&) {
        return false;
    }
    handle_ = thread_.native_handle();
    return true;
}

// Touches the object only through threadMain: once that returns the object may be gone.
void Thread::body(Thread* self, std::shared_ptr<ThreadControl> control, ThreadId id) {
    setCurrentThreadId(id);
    if (control->enterBody()) self->threadMain();
    if (control->endBody()) ThreadRegistry::instance().discardOrphan(id);
}

int Thread::threadMain() {
    try {
        return run(argument_);
    } catch (...) {
        return 0;
    }
}

ThreadHandle Thread::getHandle() { return handle_; }

ThreadId Thread::getId() { return id_; }

ThreadState Thread::getState() { return control_->state(); }

void Thread::setState(ThreadState state) { control_->setState(state); }

bool Thread::sleep(std::uint32_t milliseconds) {
    return ThreadRegistry::instance().currentControl()->sleep(milliseconds);
}

Thread* Thread::currentThread() { return ThreadRegistry::instance().current(); }
