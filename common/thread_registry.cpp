#include "common/thread_registry.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>

namespace {

constinit std::atomic<bool> g_destroyed{false};

// Never destroyed: threads that still run while the process exits may take it after the
// registry itself is gone, and then find the destroyed flag set.
CriticalSectionLock& registryLock() {
    static CriticalSectionLock* const lock = new CriticalSectionLock;
    return *lock;
}

}  // namespace

ThreadRegistry& ThreadRegistry::instance() {
    static ThreadRegistry registry;
    return registry;
}

bool ThreadRegistry::isDestroyed() { return g_destroyed.load(); }

ThreadRegistry::~ThreadRegistry() {
    std::vector<std::unique_ptr<Thread>> owned;
    {
        ScopedLock guard(&registryLock());
        g_destroyed = true;
        owned.swap(owned_);
        threads_.clear();
    }
    owned.clear();
}

void ThreadRegistry::add(Thread* thread) {
    ScopedLock guard(&registryLock());
    if (!isDestroyed()) threads_[thread->getId()] = thread;
}

void ThreadRegistry::remove(ThreadId id) {
    ScopedLock guard(&registryLock());
    if (!isDestroyed()) threads_.erase(id);
}

Thread* ThreadRegistry::find(ThreadId id) {
    ScopedLock guard(&registryLock());
    if (isDestroyed()) return nullptr;
    const auto entry = threads_.find(id);
    return entry == threads_.end() ? nullptr : entry->second;
}

Thread* ThreadRegistry::current() {
    ScopedLock guard(&registryLock());
    return isDestroyed() ? nullptr : adoptLocked();
}

std::shared_ptr<ThreadControl> ThreadRegistry::currentControl() {
    ScopedLock guard(&registryLock());
    if (isDestroyed()) return std::make_shared<ThreadControl>(ThreadState::Running);
    // Copied under the lock: the object may be destroyed as soon as it is released.
    return adoptLocked()->control_;
}

Thread* ThreadRegistry::adoptLocked() {
    const ThreadId id = currentThreadId();
    if (const auto entry = threads_.find(id); entry != threads_.end()) return entry->second;
    auto control = std::make_shared<ThreadControl>(ThreadState::Running);
    owned_.emplace_back(new Thread(Thread::Adopt{}, std::move(control), id, pthread_self()));
    threads_[id] = owned_.back().get();
    return owned_.back().get();
}

void ThreadRegistry::adoptOrphan(Thread* orphan) {
    std::unique_ptr<Thread> owned(orphan);
    ScopedLock guard(&registryLock());
    if (isDestroyed()) return;
    threads_[orphan->getId()] = orphan;
    owned_.push_back(std::move(owned));
}

void ThreadRegistry::discardOrphan(ThreadId id) {
    std::unique_ptr<Thread> orphan;
    {
        ScopedLock guard(&registryLock());
        if (isDestroyed()) return;
        const auto owned = std::find_if(owned_.begin(), owned_.end(),
                                        [id](const auto& thread) { return thread->getId() == id; });
        if (owned == owned_.end()) return;
        orphan = std::move(*owned);
        owned_.erase(owned);
        threads_.erase(id);
    }
}
