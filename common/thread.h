// Worker threads in the manner of a managed runtime: a Thread is started once with an
// argument, runs its overridable `run` on a new thread, can be interrupted (for good), sleeps
// interruptibly and can be joined with or without a time limit. Every thread, also one this
// library did not start, finds its own Thread object through Thread::currentThread().
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "common/thread_control.h"
#include "common/thread_id.h"

using ThreadHandle = std::thread::native_handle_type;

class Runnable {
  public:
    virtual ~Runnable() = default;
    virtual int run(std::int32_t argument) = 0;
};

class Thread : public Runnable {
  public:
    // State New, not interrupted, argument, handle and id 0.
    Thread();
    // Unregisters the object. A thread that still runs is interrupted and the caller sleeps
    // 1 ms; the destructor does not wait for the thread, which goes on without its object:
    // its `run` must not touch the object once it sees it is interrupted. Sleeps, joins and
    // currentThread() of that thread keep working, and see the interrupted flag.
    // NOTE: this runs after a subclass's own destructor, so a thread that starts at that very
    // moment could call `run` on a half-destroyed subclass; a subclass with members its `run`
    // uses should interrupt and join its thread in its own destructor.
    ~Thread() override;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // The work, called once on the new thread; returns 0 here. An exception that escapes it
    // ends the thread as if it had returned 0.
    int run(std::int32_t argument) override;
    // Started and not yet ended (an adopted thread is always alive).
    virtual bool isAlive();
    // Sets the interrupted flag for good, ends the thread's sleep and releases one joiner.
    virtual void interrupt();
    virtual bool isInterrupted();
    // Waits for the thread to end, at most `milliseconds` (0: no limit). Returns whether the
    // thread is not interrupted; a join that timed out is not told apart from one that did
    // not (ask isAlive). Every joiner is released when the thread ends.
    virtual bool join(std::uint32_t milliseconds);
    virtual bool join();
    // Starts the thread with `argument`; false for an adopted, already started or
    // interrupted object, or when no thread can be created.
    virtual bool start(std::int32_t argument);
    // The native thread handle (0 before start); for an adopted object, the calling thread's.
    virtual ThreadHandle getHandle();
    // The thread's id (0 before start).
    virtual ThreadId getId();

    ThreadState getState();
    void setState(ThreadState state);

    // Sleeps the calling thread at most `milliseconds` of the process clock (platform/os/clock.h);
    // false when its Thread is interrupted (at once if it already was).
    static bool sleep(std::uint32_t milliseconds);
    // The calling thread's object; a thread this library did not start gets one of its own on
    // its first call, owned by the ThreadRegistry. Null only while the process exits.
    static Thread* currentThread();

  protected:
    // The body on the new thread: `run` with the argument, exceptions caught.
    virtual int threadMain();

  private:
    friend class ThreadRegistry;
    struct Adopt {};
    // Wraps a thread this library did not start (or one whose object was destroyed): state
    // Running or the shared control's, never startable.
    Thread(Adopt, std::shared_ptr<ThreadControl> control, ThreadId id, ThreadHandle handle);

    static void body(Thread* self, std::shared_ptr<ThreadControl> control, ThreadId id);
    bool launch();
    void leaveRunningThread();
    bool handOverRegistration();

    std::shared_ptr<ThreadControl> control_;
    const bool adopted_;
    std::int32_t argument_ = 0;
    std::thread thread_;
    std::atomic<ThreadHandle> handle_{};
    std::atomic<ThreadId> id_{0};
};
