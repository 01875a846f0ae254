#include "player/movie_input.h"

#include <cstdint>

#include "common/console.h"

using namespace platform;

namespace {

constexpr WPARAM kEnter = 13;
constexpr WPARAM kEscape = 27;

std::uint32_t position(const MSG& msg) { return static_cast<std::uint32_t>(msg.lParam); }

bool filterKey(FlashShell& movie, const MSG& msg) {
    movie.cancelDrag();
    movie.setCommandSuppressed(false);
    movie.sendKeyCode(static_cast<int>(msg.wParam));
    // Enter and Escape would end the dialog; the movie has had them.
    return msg.wParam == kEnter || msg.wParam == kEscape;
}

bool filterMove(BaseDlg& window, FlashShell& movie, const MSG& msg) {
    window.updateSizeZone(msg);
    if (window.applySizeCursor()) {
        // Over an edge the mouse sizes the window and never drags it.
        movie.cancelDrag();
        return false;
    }
    if (!movie.isDragMove(position(msg))) return false;
    window.setCursorById(IDC_SIZEALL);
    movie.startDrag(msg);
    return true;
}

bool filterPress(BaseDlg& window, FlashShell& movie, const MSG& msg, MoviePress press) {
    if (window.applySizeCursor()) {
        window.startSizing(window.sizeZone());
        return true;
    }
    if (press == MoviePress::ClickAndArmDrag) movie.click();
    movie.setCommandSuppressed(false);
    if (movie.isParentNormal()) movie.noteMouseDown(position(msg));
    return false;
}

}  // namespace

bool filterMovieInput(BaseDlg& window, FlashShell& movie, const MSG& msg, MoviePress press) {
    switch (msg.message) {
        case WM_KEYDOWN:
            return filterKey(movie, msg);
        case WM_MOUSEMOVE:
            return filterMove(window, movie, msg);
        case WM_LBUTTONDOWN:
            return filterPress(window, movie, msg, press);
        case WM_LBUTTONUP:
            movie.cancelDrag();
            return false;
        case WM_LBUTTONDBLCLK:
            movie.doubleClick();
            return true;
        case WM_RBUTTONDOWN:
            window.showContextMenu();
            return true;
        default:
            return false;
    }
}

LRESULT keepDesignSize(LPARAM minMaxInfo, int width, int height) {
    reinterpret_cast<MINMAXINFO*>(minMaxInfo)->ptMinTrackSize = POINT{width, height};
    return 0;
}

LRESULT logContextMenu(const char* window, WPARAM wParam) {
    consoleLogf("%s::OnContextMenu:%d", window, static_cast<std::int32_t>(wParam));
    return 0;
}
