// The message queue of one thread: posted messages, messages sent from other threads, thread
// timers and delayed tasks. A thread gets its queue the first time it asks for it; threads that
// create windows own them through it.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/backend.h"
#include "platform/os/win32.h"

namespace platform {

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

class ThreadQueue : public std::enable_shared_from_this<ThreadQueue> {
  public:
    explicit ThreadQueue(std::unique_ptr<EventPump> pump);
    ~ThreadQueue();

    // The calling thread's queue, created on first use.
    static ThreadQueue& current();
    static std::shared_ptr<ThreadQueue> currentShared();

    std::thread::id threadId() const { return thread_; }

    // Any thread. Returns false when the queue's thread has ended.
    bool post(const MSG& msg);
    // As `post`, but drops the message (false) when `limit` messages of the same number for
    // the same window already wait: a flood from outside cannot grow the queue without bound.
    bool postUnlessWaiting(const MSG& msg, std::size_t limit);
    // From another thread: waits until this queue's thread has handled the message, handling
    // messages sent to the caller meanwhile. Returns 0 when the thread ends first.
    LRESULT sendFromOtherThread(const MSG& msg);

    // Owner thread only. Blocks until a message is there; false for WM_QUIT (GetMessage).
    bool get(MSG& msg);
    // Owner thread only. Sent messages are handled; the next posted message or due timer, if
    // any, is returned (and removed when `remove`).
    bool peek(MSG& msg, bool remove);
    // Handles the messages other threads sent to this thread (owner thread only).
    void handleSentMessages();

    // Thread or window timers (SetTimer's meaning). Returns the timer id, 0 on failure.
    UINT_PTR setTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
    bool killTimer(HWND hwnd, UINT_PTR id);
    void killWindowTimers(HWND hwnd);
    // The callback of a timer, looked up when its WM_TIMER is dispatched.
    TIMERPROC timerProc(HWND hwnd, UINT_PTR id) const;

    // A task run by the message loop of this thread after `delayMs`; `owner` groups tasks so
    // that they can be cancelled together.
    void postTask(std::uint32_t delayMs, std::function<void()> task, const void* owner);
    void cancelTasks(const void* owner);

    // When the earliest timer or task falls due, if there is one.
    std::optional<Clock::time_point> nextDeadline() const;

    void wake();

  private:
    struct Sent {
        MSG msg;
        LRESULT result = 0;
        bool done = false;
        std::shared_ptr<ThreadQueue> replyTo;
    };
    struct Timer {
        HWND hwnd;
        UINT_PTR id;
        std::chrono::milliseconds period;
        Clock::time_point due;
        TIMERPROC proc;
    };
    struct Task {
        Clock::time_point due;
        std::function<void()> run;
        const void* owner;
    };

    bool takePosted(MSG& msg, bool remove);
    bool takeDueTimer(MSG& msg, bool remove);
    bool runDueTask();
    void finishSent(const std::shared_ptr<Sent>& sent, LRESULT result);
    void shutDown();

    const std::thread::id thread_;
    std::unique_ptr<EventPump> pump_;
    mutable std::mutex mutex_;
    std::deque<MSG> posted_;
    std::deque<std::shared_ptr<Sent>> incoming_;
    std::list<Timer> timers_;
    std::list<Task> tasks_;
    bool ended_ = false;

    friend struct ThreadQueueHolder;
};

}  // namespace platform
