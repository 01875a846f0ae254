#include "platform/messages.h"

#include "platform/window.h"
#include "platform/window_table.h"

namespace platform {

LRESULT callWindowProcOnOwnerThread(const MSG& msg) {
    Window* window = window_table::find(msg.hwnd);
    return window ? window->WindowProc(msg.message, msg.wParam, msg.lParam) : 0;
}

LRESULT sendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto queue = window_table::ownerQueue(hwnd);
    if (!queue) return 0;
    const MSG msg{hwnd, message, wParam, lParam};
    if (queue->threadId() == std::this_thread::get_id()) return callWindowProcOnOwnerThread(msg);
    return queue->sendFromOtherThread(msg);
}

bool postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto queue = window_table::ownerQueue(hwnd);
    return queue && queue->post(MSG{hwnd, message, wParam, lParam});
}

void postQuitMessage(int exitCode) {
    ThreadQueue::current().post(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0});
}

bool getMessage(MSG& msg) { return ThreadQueue::current().get(msg); }

bool peekMessage(MSG& msg, bool remove) { return ThreadQueue::current().peek(msg, remove); }

LRESULT dispatchMessage(const MSG& msg) {
    if (msg.message == WM_TIMER && msg.lParam != 0) {
        // The callback is looked up again rather than taken from lParam, so a forged WM_TIMER
        // cannot jump anywhere.
        if (TIMERPROC proc = ThreadQueue::current().timerProc(msg.hwnd, msg.wParam)) {
            proc(msg.hwnd, WM_TIMER, msg.wParam, tickCount());
            return 0;
        }
    }
    if (msg.hwnd == nullptr) return 0;
    return callWindowProcOnOwnerThread(msg);
}

namespace {

// The target window and its parents up to its top-level window; owners are not asked, so a
// window's filter sees only its own messages and its children's.
bool walkPreTranslateTree(MSG& msg) {
    for (Window* window = Window::FromHandle(msg.hwnd); window != nullptr;
         window = (window->GetStyle() & WS_CHILD) ? window->GetParent() : nullptr) {
        if (window->PreTranslateMessage(&msg)) return true;
    }
    return false;
}

}  // namespace

bool preTranslateNow(MSG& msg) { return walkPreTranslateTree(msg); }

bool pumpMessage(int* quitCode) {
    MSG msg;
    if (!getMessage(msg)) {
        if (quitCode) *quitCode = static_cast<int>(msg.wParam);
        return false;
    }
    if (!walkPreTranslateTree(msg)) dispatchMessage(msg);
    return true;
}

UINT_PTR setTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    if (hwnd != nullptr && Window::FromHandle(hwnd) == nullptr) return 0;
    return ThreadQueue::current().setTimer(hwnd, id, elapseMs, proc);
}

bool killTimer(HWND hwnd, UINT_PTR id) { return ThreadQueue::current().killTimer(hwnd, id); }

DWORD tickCount() {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
    return static_cast<DWORD>(ms.count());
}

}  // namespace platform
