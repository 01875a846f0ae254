#include "platform/thread_queue.h"

#include <algorithm>
#include <atomic>

#include "platform/messages.h"

namespace platform {

namespace {

std::unique_ptr<EventPump> pumpForThisThread() {
    return hasBackend() ? backend().createPump() : makeConditionPump();
}

std::atomic<UINT_PTR> g_nextThreadTimerId{1};

}  // namespace

// Ends the queue with its thread, so that senders waiting on it are released.
struct ThreadQueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~ThreadQueueHolder() {
        if (queue) queue->shutDown();
    }
};

namespace {
thread_local ThreadQueueHolder t_holder;
}

ThreadQueue::ThreadQueue(std::unique_ptr<EventPump> pump)
    : thread_(std::this_thread::get_id()), pump_(std::move(pump)) {}

ThreadQueue::~ThreadQueue() = default;

std::shared_ptr<ThreadQueue> ThreadQueue::currentShared() {
    if (!t_holder.queue) t_holder.queue = std::make_shared<ThreadQueue>(pumpForThisThread());
    return t_holder.queue;
}

ThreadQueue& ThreadQueue::current() { return *currentShared(); }

void ThreadQueue::wake() { pump_->wake(); }

bool ThreadQueue::post(const MSG& msg) {
    {
        std::lock_guard lock(mutex_);
        if (ended_) return false;
        posted_.push_back(msg);
    }
    pump_->wake();
    return true;
}

bool ThreadQueue::postUnlessWaiting(const MSG& msg, std::size_t limit) {
    {
        std::lock_guard lock(mutex_);
        if (ended_) return false;
        const auto same = [&](const MSG& waiting) {
            return waiting.hwnd == msg.hwnd && waiting.message == msg.message;
        };
        if (static_cast<std::size_t>(std::count_if(posted_.begin(), posted_.end(), same)) >= limit)
            return false;
        posted_.push_back(msg);
    }
    pump_->wake();
    return true;
}

LRESULT ThreadQueue::sendFromOtherThread(const MSG& msg) {
    auto self = currentShared();
    auto sent = std::make_shared<Sent>();
    sent->msg = msg;
    sent->replyTo = self;
    {
        std::lock_guard lock(mutex_);
        if (ended_) return 0;
        incoming_.push_back(sent);
    }
    pump_->wake();
    for (;;) {
        // While waiting, answer what other threads send to this one, so two threads sending
        // to each other do not deadlock.
        self->handleSentMessages();
        {
            std::lock_guard lock(self->mutex_);
            if (sent->done) return sent->result;
        }
        self->pump_->wait(std::nullopt);
    }
}

void ThreadQueue::finishSent(const std::shared_ptr<Sent>& sent, LRESULT result) {
    auto& reply = *sent->replyTo;
    {
        std::lock_guard lock(reply.mutex_);
        sent->result = result;
        sent->done = true;
    }
    reply.pump_->wake();
}

void ThreadQueue::handleSentMessages() {
    for (;;) {
        std::shared_ptr<Sent> sent;
        {
            std::lock_guard lock(mutex_);
            if (incoming_.empty()) return;
            sent = incoming_.front();
            incoming_.pop_front();
        }
        finishSent(sent, callWindowProcOnOwnerThread(sent->msg));
    }
}

void ThreadQueue::shutDown() {
    std::deque<std::shared_ptr<Sent>> pending;
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
        pending.swap(incoming_);
        posted_.clear();
        tasks_.clear();
    }
    for (auto& sent : pending) finishSent(sent, 0);
}

bool ThreadQueue::takePosted(MSG& msg, bool remove) {
    std::lock_guard lock(mutex_);
    if (posted_.empty()) return false;
    msg = posted_.front();
    if (remove) posted_.pop_front();
    return true;
}

bool ThreadQueue::takeDueTimer(MSG& msg, bool remove) {
    std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    for (auto& timer : timers_) {
        if (timer.due > now) continue;
        msg = MSG{timer.hwnd, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.proc)};
        // A late timer does not make up for missed periods: one WM_TIMER, then a full period.
        if (remove) timer.due = now + timer.period;
        return true;
    }
    return false;
}

bool ThreadQueue::runDueTask() {
    std::function<void()> run;
    {
        std::lock_guard lock(mutex_);
        // The earliest due task first; equal times run in the order they were posted.
        auto first = tasks_.end();
        for (auto it = tasks_.begin(); it != tasks_.end(); ++it)
            if (first == tasks_.end() || it->due < first->due) first = it;
        if (first == tasks_.end() || first->due > Clock::now()) return false;
        run = std::move(first->run);
        tasks_.erase(first);
    }
    run();
    return true;
}

std::optional<Clock::time_point> ThreadQueue::nextDeadline() const {
    std::lock_guard lock(mutex_);
    std::optional<Clock::time_point> next;
    for (const auto& timer : timers_)
        if (!next || timer.due < *next) next = timer.due;
    for (const auto& task : tasks_)
        if (!next || task.due < *next) next = task.due;
    return next;
}

bool ThreadQueue::peek(MSG& msg, bool remove) {
    handleSentMessages();
    while (runDueTask()) handleSentMessages();
    return takePosted(msg, remove) || takeDueTimer(msg, remove);
}

bool ThreadQueue::get(MSG& msg) {
    while (!peek(msg, true)) pump_->wait(nextDeadline());
    return msg.message != WM_QUIT;
}

UINT_PTR ThreadQueue::setTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    // Win32 raises periods below 10 ms to 10 ms.
    const auto period = std::chrono::milliseconds(std::max<UINT>(elapseMs, 10));
    std::lock_guard lock(mutex_);
    if (hwnd != nullptr) {
        for (auto& timer : timers_) {
            if (timer.hwnd == hwnd && timer.id == id) {
                timer.period = period;
                timer.due = Clock::now() + period;
                timer.proc = proc;
                return id;
            }
        }
    } else {
        // A thread timer always gets a fresh identifier.
        id = g_nextThreadTimerId++;
    }
    timers_.push_back(Timer{hwnd, id, period, Clock::now() + period, proc});
    return id;
}

bool ThreadQueue::killTimer(HWND hwnd, UINT_PTR id) {
    std::lock_guard lock(mutex_);
    const auto before = timers_.size();
    timers_.remove_if([&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    return timers_.size() != before;
}

void ThreadQueue::killWindowTimers(HWND hwnd) {
    std::lock_guard lock(mutex_);
    timers_.remove_if([&](const Timer& t) { return t.hwnd == hwnd; });
}

TIMERPROC ThreadQueue::timerProc(HWND hwnd, UINT_PTR id) const {
    std::lock_guard lock(mutex_);
    for (const auto& timer : timers_)
        if (timer.hwnd == hwnd && timer.id == id) return timer.proc;
    return nullptr;
}

void ThreadQueue::postTask(std::uint32_t delayMs, std::function<void()> task, const void* owner) {
    {
        std::lock_guard lock(mutex_);
        if (ended_) return;
        tasks_.push_back(
            Task{Clock::now() + std::chrono::milliseconds(delayMs), std::move(task), owner});
    }
    pump_->wake();
}

void ThreadQueue::cancelTasks(const void* owner) {
    std::lock_guard lock(mutex_);
    tasks_.remove_if([&](const Task& t) { return t.owner == owner; });
}

}  // namespace platform
