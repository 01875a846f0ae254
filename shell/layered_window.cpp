#include "shell/layered_window.h"

#include "platform/window.h"

using namespace platform;

void setLayeredAlpha(HWND hwnd, std::uint8_t alpha) {
    Window* window = Window::FromHandle(hwnd);
    if (window == nullptr) return;
    window->SetWindowLong(GWL_EXSTYLE, static_cast<LONG>(window->GetExStyle() | WS_EX_LAYERED));
    window->SetLayeredWindowAttributes(0, alpha, LWA_ALPHA);
}
