#include "common/thread_id.h"

#include <atomic>

namespace {

constinit std::atomic<ThreadId> g_nextId{1};
thread_local ThreadId t_id = 0;

}  // namespace

ThreadId newThreadId() { return g_nextId.fetch_add(1, std::memory_order_relaxed); }

ThreadId currentThreadId() {
    if (t_id == 0) t_id = newThreadId();
    return t_id;
}

void setCurrentThreadId(ThreadId id) { t_id = id; }
