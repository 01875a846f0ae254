#include "platform/window_table.h"

#include <map>
#include <mutex>

namespace platform::window_table {

namespace {

struct Entry {
    Window* window;
    std::shared_ptr<ThreadQueue> queue;
    bool topLevel;
};

struct Table {
    std::mutex mutex;
    std::map<std::uintptr_t, Entry> entries;
    std::uintptr_t next = 0x10000;
};

Table& table() {
    static Table* t = new Table;  // outlives every window destroyed during static destruction
    return *t;
}

}  // namespace

HWND add(Window* window, std::shared_ptr<ThreadQueue> queue, bool topLevel) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    const auto id = t.next;
    t.next += 2;
    t.entries.emplace(id, Entry{window, std::move(queue), topLevel});
    return reinterpret_cast<HWND>(id);
}

void remove(HWND hwnd) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    t.entries.erase(reinterpret_cast<std::uintptr_t>(hwnd));
}

Window* find(HWND hwnd) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.entries.find(reinterpret_cast<std::uintptr_t>(hwnd));
    return it == t.entries.end() ? nullptr : it->second.window;
}

std::shared_ptr<ThreadQueue> ownerQueue(HWND hwnd) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.entries.find(reinterpret_cast<std::uintptr_t>(hwnd));
    return it == t.entries.end() ? nullptr : it->second.queue;
}

std::vector<HWND> topLevelWindows() {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    std::vector<HWND> result;
    for (const auto& [id, entry] : t.entries)
        if (entry.topLevel) result.push_back(reinterpret_cast<HWND>(id));
    return result;
}

}  // namespace platform::window_table
