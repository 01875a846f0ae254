// The process's table of window handles: which object and which thread a handle belongs to.
// Handles are never reused, so a stale handle finds nothing.
#pragma once

#include <memory>

#include "platform/thread_queue.h"
#include "platform/win32.h"

namespace platform {

class Window;

namespace window_table {

HWND add(Window* window, std::shared_ptr<ThreadQueue> queue);
void remove(HWND hwnd);
// The window object; use it only on the window's own thread.
Window* find(HWND hwnd);
// The queue of the thread that owns the window, or nullptr.
std::shared_ptr<ThreadQueue> ownerQueue(HWND hwnd);

}  // namespace window_table

}  // namespace platform
