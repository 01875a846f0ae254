// Sending, posting and dispatching messages, with Win32's meaning.
#pragma once

#include "platform/os/win32.h"
#include "platform/thread_queue.h"

namespace platform {

// SendMessage: on the window's own thread the window procedure runs at once; from another
// thread the caller blocks until the window's thread has handled the message. 0 for a window
// that does not exist (any more).
LRESULT sendMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// PostMessage: queued for the window's thread; false when the window does not exist.
bool postMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// PostThreadMessage to the calling thread (hwnd none); PostQuitMessage.
void postQuitMessage(int exitCode);

// GetMessage / PeekMessage on the calling thread's queue.
bool getMessage(MSG& msg);
bool peekMessage(MSG& msg, bool remove);

// DispatchMessage: WM_TIMER with a callback runs the callback; everything else goes to the
// window procedure of msg.hwnd.
LRESULT dispatchMessage(const MSG& msg);

// The message filter walk (PreTranslateMessage of the target window and each of its parents up
// to its top-level window, innermost first) followed by dispatch; false for WM_QUIT.
// `quitCode`, when given, receives WM_QUIT's exit code.
bool pumpMessage(int* quitCode = nullptr);

// The message filter walk alone, for input a backend hands over while the event is still
// happening (before the native widget under it acts): true when a filter took the message.
bool preTranslateNow(MSG& msg);

// Runs the window procedure of `msg.hwnd`, which must belong to the calling thread.
LRESULT callWindowProcOnOwnerThread(const MSG& msg);

// Win32's thread and window timers of the calling thread.
UINT_PTR setTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
bool killTimer(HWND hwnd, UINT_PTR id);

// GetTickCount: milliseconds of the monotonic clock, wrapping at 2^32.
DWORD tickCount();

}  // namespace platform
