// The process-wide map from thread id to Thread object, through which every thread finds its
// own object. It owns the objects it creates for threads this library did not start, and
// deletes them when the process exits.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "common/thread.h"

class ThreadRegistry {
  public:
    // The one registry, created on first use and destroyed at process exit.
    static ThreadRegistry& instance();
    // True once the registry has been destroyed; Thread objects that outlive it leave it be.
    static bool isDestroyed();

    ThreadRegistry() = default;
    ~ThreadRegistry();
    ThreadRegistry(const ThreadRegistry&) = delete;
    ThreadRegistry& operator=(const ThreadRegistry&) = delete;

    // Registers `thread` under its id, replacing an earlier entry.
    void add(Thread* thread);
    void remove(ThreadId id);
    // The object registered under `id`, or null.
    Thread* find(ThreadId id);

  private:
    friend class Thread;

    // The calling thread's object, adopting the thread when it has none; null once destroyed.
    Thread* current();
    // The calling thread's control; after destruction a fresh one that nothing can interrupt.
    std::shared_ptr<ThreadControl> currentControl();
    // Takes ownership of `orphan`, the stand-in for a destroyed object whose thread runs on,
    // and registers it in that object's place.
    void adoptOrphan(Thread* orphan);
    // Unregisters and deletes the stand-in registered under `id` (its thread has ended).
    void discardOrphan(ThreadId id);

    Thread* adoptLocked();

    std::map<ThreadId, Thread*> threads_;
    // The objects this registry created and deletes: adopted threads and stand-ins.
    std::vector<std::unique_ptr<Thread>> owned_;
};
