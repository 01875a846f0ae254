// The bookkeeping of one thread that the thread itself uses: its state, its interrupted flag
// and its two events. It is shared between the Thread object and the running thread, so a
// thread whose object was destroyed can still finish, sleep and see that it was interrupted.
// Internal to the thread library.
#pragma once

#include <cstdint>

#include "common/event.h"
#include "common/locks.h"

enum class ThreadState : std::int32_t {
    New = 0,
    Running = 1,
    Waiting = 2,       // in a join without time limit
    TimedWaiting = 3,  // in a sleep or in a join with a time limit
    Terminated = 4,
};

class ThreadControl {
  public:
    explicit ThreadControl(ThreadState state) : state_(state) {}

    // Guards the state and the flags below.
    CriticalSectionLock lock;
    Event wake;    // ends a sleep early
    Event finish;  // one signal per interrupt; signalled for good when the body ends

    ThreadState state();
    void setState(ThreadState state);
    bool isAlive();
    bool isInterrupted();
    // Sets the interrupted flag for good, ends the thread's sleep and releases one joiner.
    void interrupt();

    // Runs the thread's own interruptible sleep; false when interrupted before or during it.
    bool sleep(std::uint32_t milliseconds);
    // Marks the thread as waiting (Waiting or TimedWaiting); returns the state to restore.
    ThreadState beginWait(ThreadState waiting);

    // On the new thread, before the body: false when the object is already gone.
    bool enterBody();
    // The object is being destroyed; a body that has not begun yet will not begin.
    void abandon();
    // On the new thread, after the body: Terminated, joiners released. Returns whether the
    // object was destroyed while the thread ran (`orphaned`).
    bool endBody();

    // Set by the destroyed object, under `lock`, when the thread still ran.
    bool orphaned = false;

  private:
    ThreadState state_;
    bool interrupted_ = false;
    bool abandoned_ = false;
};
