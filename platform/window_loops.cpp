// The system's move and sizing loops and the other system commands.
#include <algorithm>

#include "platform/messages.h"
#include "platform/shell_services.h"
#include "platform/window.h"

namespace platform {

namespace {

constexpr UINT VK_ESCAPE_KEY = 0x1B;

LONG clampSize(LONG size, LONG minimum, LONG maximum) {
    return std::max(minimum, std::min(size, maximum));
}

// The window rectangle after the mouse moved by (dx, dy) from where the loop began: the
// dragged edges follow the mouse, the opposite edges stay, and the size keeps its limits.
RECT draggedRect(RECT r, WPARAM edge, LONG dx, LONG dy, const MINMAXINFO& limits) {
    if (edge == 0) return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
    const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
    const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
    const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
    const LONG width = clampSize(r.width() + (right ? dx : 0) - (left ? dx : 0),
                                 limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x);
    const LONG height = clampSize(r.height() + (bottom ? dy : 0) - (top ? dy : 0),
                                  limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y);
    if (left)
        r.left = r.right - width;
    else
        r.right = r.left + width;
    if (top)
        r.top = r.bottom - height;
    else
        r.bottom = r.top + height;
    return r;
}

}  // namespace

void Window::systemCommand(WPARAM command) {
    switch (command & 0xFFF0) {
        case SC_SIZE:
            runMoveSizeLoop(command & 0x000F);
            break;
        case SC_MOVE:
            runMoveSizeLoop(0);
            break;
        case SC_MINIMIZE:
            ShowWindow(SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(SW_SHOWMAXIMIZED);
            break;
        case SC_RESTORE:
            ShowWindow(SW_RESTORE);
            break;
        case SC_CLOSE:
            SendMessage(WM_CLOSE);
            break;
        default:
            break;
    }
}

void Window::runMoveSizeLoop(WPARAM edge) {
    if (hwnd_ == nullptr || edge > WMSZ_BOTTOMRIGHT) return;
    const RECT screen = backend().screenRect();
    MINMAXINFO limits{};
    limits.ptMinTrackSize = POINT{1, 1};
    limits.ptMaxTrackSize = POINT{screen.width() + 12, screen.height() + 12};
    SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    const POINT start = GetCursorPos();
    if (native_ && native_->beginMoveSize(edge, start, limits)) return;
    SendMessage(WM_ENTERSIZEMOVE);
    SetCapture();
    followMouse(edge, start, limits);
    ReleaseCapture();
    SendMessage(WM_EXITSIZEMOVE);
}

void Window::followMouse(WPARAM edge, POINT start, const MINMAXINFO& limits) {
    const RECT origin = rect_;
    MSG msg;
    // As on Windows, a loop started without the button held ends at once.
    while (hwnd_ != nullptr && backend().leftButtonDown()) {
        if (!getMessage(msg)) {
            postQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (msg.message == WM_LBUTTONUP) return;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE_KEY) {
            MoveWindow(origin);
            return;
        }
        if (msg.message != WM_MOUSEMOVE) {
            dispatchMessage(msg);
            continue;
        }
        const POINT now = GetCursorPos();
        MoveWindow(draggedRect(origin, edge, now.x - start.x, now.y - start.y, limits));
    }
}

}  // namespace platform
