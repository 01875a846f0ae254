// Show states, placement, stacking, shape, opacity, activation and capture of windows.
#include <atomic>

#include "platform/window.h"

namespace platform {

namespace {

std::atomic<HWND> g_foreground{nullptr};
thread_local HWND t_capture = nullptr;

bool isMinimizeCommand(int command) {
    return command == SW_SHOWMINIMIZED || command == SW_MINIMIZE || command == 7 /*MINNOACTIVE*/ ||
           command == 11 /*FORCEMINIMIZE*/;
}

bool activates(int command) {
    return command == SW_SHOW || command == SW_SHOWNORMAL || command == SW_SHOWMAXIMIZED ||
           command == SW_RESTORE;
}

}  // namespace

WINDOWPLACEMENT Window::GetWindowPlacement() const {
    return WINDOWPLACEMENT{showCmd_, showCmd_ == SW_SHOWNORMAL ? rect_ : normalRect_};
}

bool Window::ShowWindow(int command) {
    if (hwnd_ == nullptr) return false;
    const bool was = IsWindowVisible();
    if (command == SW_HIDE) {
        if (!was) return false;
        SendMessage(WM_SHOWWINDOW, 0, 0);
        setVisibleFlag(false);
        if (native_) native_->setVisible(false);
        return true;
    }
    if (!was) {
        SendMessage(WM_SHOWWINDOW, 1, 0);
        setVisibleFlag(true);
        if (native_) native_->setVisible(true);
    }
    applyShowCommand(command);
    if (activates(command) && !(style_ & WS_CHILD)) SetForegroundWindow();
    return was;
}

void Window::applyShowCommand(int command) {
    if (isMinimizeCommand(command)) {
        if (showCmd_ == SW_SHOWMINIMIZED) return;
        restoreToMaximized_ = showCmd_ == SW_SHOWMAXIMIZED;
        if (showCmd_ == SW_SHOWNORMAL) normalRect_ = rect_;
        showCmd_ = SW_SHOWMINIMIZED;
        if (native_) native_->setShowState(showCmd_);
        SendMessage(WM_SIZE, SIZE_MINIMIZED, 0);
    } else if (command == SW_SHOWMAXIMIZED ||
               (command == SW_RESTORE && showCmd_ == SW_SHOWMINIMIZED && restoreToMaximized_)) {
        maximize();
    } else if (command == SW_SHOWNORMAL || command == SW_RESTORE) {
        restoreNormal();
    }
}

void Window::maximize() {
    if (showCmd_ == SW_SHOWMAXIMIZED) return;
    const bool wasMinimized = showCmd_ == SW_SHOWMINIMIZED;
    if (showCmd_ == SW_SHOWNORMAL) normalRect_ = rect_;
    showCmd_ = SW_SHOWMAXIMIZED;
    if (native_) native_->setShowState(showCmd_);
    // A borderless window fills the work area; a framed one puts its border (not its caption)
    // just outside it.
    const RECT area = backend().workArea();
    const RECT insets = nonClientInsets(style_);
    const RECT maximized{area.left - insets.left, area.top - insets.left, area.right + insets.right,
                         area.bottom + insets.bottom};
    leaveShowState(wasMinimized, maximized, SIZE_MAXIMIZED);
}

// Takes the rectangle of the new show state. Coming back from minimised the window always
// hears of its size, even when the rectangle is the one it had: its shape may depend on it.
void Window::leaveShowState(bool wasMinimized, const RECT& rect, WPARAM sizeKind) {
    const bool moves = !(rect == rect_);
    MoveWindow(rect);
    if (moves || !wasMinimized) return;
    const RECT client = GetClientRect();
    SendMessage(WM_SIZE, sizeKind,
                MAKELPARAM(static_cast<std::uint16_t>(client.width()),
                           static_cast<std::uint16_t>(client.height())));
}

void Window::restoreNormal() {
    if (showCmd_ == SW_SHOWNORMAL) return;
    const bool wasMinimized = showCmd_ == SW_SHOWMINIMIZED;
    showCmd_ = SW_SHOWNORMAL;
    if (native_) native_->setShowState(showCmd_);
    leaveShowState(wasMinimized, normalRect_, SIZE_RESTORED);
}

bool Window::SetWindowPlacement(const WINDOWPLACEMENT& placement) {
    if (hwnd_ == nullptr) return false;
    normalRect_ = placement.rcNormalPosition;
    if (showCmd_ == SW_SHOWNORMAL && placement.showCmd == SW_SHOWNORMAL) MoveWindow(normalRect_);
    ShowWindow(static_cast<int>(placement.showCmd));
    return true;
}

bool Window::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (hwnd_ == nullptr) return false;
    if (!(flags & SWP_NOZORDER) && (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)) {
        const bool topmost = insertAfter == HWND_TOPMOST;
        const DWORD before = exStyle_;
        exStyle_ = topmost ? (exStyle_ | WS_EX_TOPMOST) : (exStyle_ & ~WS_EX_TOPMOST);
        if (native_ && exStyle_ != before) native_->setStyle(GWL_EXSTYLE, exStyle_);
        if (native_) native_->setTopmost(topmost);
    }
    RECT rect = rect_;
    if (!(flags & SWP_NOMOVE)) rect = RECT{x, y, x + rect.width(), y + rect.height()};
    if (!(flags & SWP_NOSIZE)) rect.right = rect.left + cx, rect.bottom = rect.top + cy;
    MoveWindow(rect);
    if (flags & SWP_SHOWWINDOW) ShowWindow(SW_SHOWNA);
    if (flags & SWP_HIDEWINDOW) ShowWindow(SW_HIDE);
    if (!(flags & SWP_NOACTIVATE) && !(style_ & WS_CHILD) && IsWindowVisible())
        SetForegroundWindow();
    return true;
}

int Window::SetWindowRgn(HRGN region, bool /*redraw*/) {
    if (hwnd_ == nullptr) {
        DeleteObject(region);
        return 0;
    }
    region_.reset(region);
    if (native_) native_->setShape(region_.get());
    return 1;
}

bool Window::SetLayeredWindowAttributes(DWORD /*colorKey*/, std::uint8_t alpha, DWORD flags) {
    if (hwnd_ == nullptr || !(exStyle_ & WS_EX_LAYERED)) return false;
    if (flags & LWA_ALPHA) {
        alpha_ = alpha;
        if (native_) native_->setOpacity(alpha);
    }
    return true;
}

bool Window::SetForegroundWindow() {
    if (hwnd_ == nullptr) return false;
    Window* top = this;
    while (top->parent_ && (top->style_ & WS_CHILD)) top = top->parent_;
    g_foreground = top->hwnd_;
    if (top->native_) top->native_->activate();
    return true;
}

Window* Window::GetForegroundWindow() { return FromHandle(g_foreground.load()); }

Window* Window::SetCapture() {
    Window* previous = GetCapture();
    if (hwnd_ == nullptr || previous == this) return previous;
    if (previous && previous->native_) previous->native_->setCapture(false);
    t_capture = hwnd_;
    if (native_) native_->setCapture(true);
    return previous;
}

bool Window::ReleaseCapture() {
    Window* previous = GetCapture();
    t_capture = nullptr;
    if (previous == nullptr) return true;
    if (previous->native_) previous->native_->setCapture(false);
    previous->SendMessage(WM_CAPTURECHANGED, 0, 0);
    return true;
}

Window* Window::GetCapture() { return FromHandle(t_capture); }

}  // namespace platform
