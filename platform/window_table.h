// The process's table of window handles: which object and which thread a handle belongs to.
// Handles are never reused, so a stale handle finds nothing.
#pragma once

#include <memory>
#include <vector>

#include "platform/os/win32.h"
#include "platform/thread_queue.h"

namespace platform {

class Window;

namespace window_table {

// `topLevel`: the window was created without WS_CHILD (broadcasts reach it).
HWND add(Window* window, std::shared_ptr<ThreadQueue> queue, bool topLevel);
void remove(HWND hwnd);
// The window object; use it only on the window's own thread.
Window* find(HWND hwnd);
// The queue of the thread that owns the window, or nullptr.
std::shared_ptr<ThreadQueue> ownerQueue(HWND hwnd);
// The top-level windows of this process, from any thread.
std::vector<HWND> topLevelWindows();

}  // namespace window_table

}  // namespace platform
