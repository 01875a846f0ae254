// Locks in the manner of Win32 critical sections, and a scope guard that takes any of them.
#pragma once

#include <atomic>
#include <mutex>

#include "common/thread_id.h"

class Lockable {
  public:
    virtual ~Lockable() = default;
    virtual void lock() = 0;
    // Takes the lock only if that needs no waiting; true when taken.
    virtual bool tryLock() = 0;
    virtual void unlock() = 0;
};

// A recursive lock: the owning thread may lock again and must unlock as often as it locked.
class CriticalSectionLock : public Lockable {
  public:
    CriticalSectionLock() = default;
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

    void lock() override;
    // False whenever some thread owns the lock, the calling thread included; never waits.
    bool tryLock() override;
    void unlock() override;

  private:
    std::recursive_mutex mutex_;
    // The owning thread, 0 when free; written only by the owner.
    std::atomic<ThreadId> owner_{0};
    int depth_ = 0;  // guarded by mutex_
};

// Locks the given lock for the lifetime of the guard; a null pointer means no locking.
class ScopedLock {
  public:
    explicit ScopedLock(Lockable* lockable);
    ~ScopedLock();
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

  private:
    Lockable* lockable_;
};
