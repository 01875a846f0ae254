// The main window's messages: the filter in front of its movies, its handlers and commands.
#include "common/console.h"
#include "player/movie_input.h"
#include "player/my_kolvar_dlg.h"
#include "player/player_globals.h"
#include "resources/player_ids.h"

using namespace platform;
using namespace resources;

namespace {
constexpr const char* kSampleQuery = "pid=206065&index=1";
}  // namespace

LRESULT CMyKolvarDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The activation message's number is known only at run time.
    if (message == activationMessage() && message != 0) return onActivationRequest();
    return BaseDlg::WindowProc(message, wParam, lParam);
}

LRESULT CMyKolvarDlg::onActivationRequest() {
    showAndActivate();
    adjustSize(kWidth, kHeight, true);
    if (!isTopMost()) {
        setTopMost();
        clearTopMost();
    }
    return 0;
}

LRESULT CMyKolvarDlg::onSize(WPARAM, LPARAM) {
    if (currentPlayer_->isReady()) {
        updateShape();
        currentPlayer_->fitToParent();
    }
    applySizeCursor();
    return 0;
}

LRESULT CMyKolvarDlg::onGetMinMaxInfo(WPARAM, LPARAM lParam) {
    return keepDesignSize(lParam, kWidth, kHeight);
}

LRESULT CMyKolvarDlg::onContextMenu(WPARAM wParam, LPARAM) {
    return logContextMenu("CMyKolvarDlg", wParam);
}

LRESULT CMyKolvarDlg::onTrayNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam != kTrayIconId) return 0;
    if (lParam == WM_LBUTTONUP) restoreFromTray();
    if (lParam == WM_RBUTTONUP) showTrayMenu();
    return 0;
}

LRESULT CMyKolvarDlg::onCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case ID_CLOSE:
            close();
            break;
        case ID_TOGGLE_MAXIMIZED:
            setShowState(kToggleMaximized);
            break;
        case ID_TOGGLE_TOPMOST:
            if (isTopMost())
                clearTopMost();
            else
                setTopMost();
            break;
        case ID_FLASH_BACK:
            consoleLog("调用flash方法, 执行后退操作");
            break;
        case ID_LIGHTS:
            if (!isMaximized()) toggleLights(GetParent() ? GetParent()->GetSafeHwnd() : nullptr);
            break;
        case ID_PLAY_SAMPLE:
            playInMainWindow(std::string(kSampleQuery));
            break;
        case ID_BACK_TO_MAIN:
            backToMainKeepingState();
            break;
        case ID_PREVIEW_SAMPLE:
            loadPlayMovie(std::string(kSampleQuery));
            showPreview();
            break;
        default:
            return DefWindowProc(WM_COMMAND, wParam, lParam);
    }
    return 0;
}

bool CMyKolvarDlg::PreTranslateMessage(MSG* msg) {
    if (!currentPlayer_->isReady()) return BaseDlg::PreTranslateMessage(msg);
    if (msg->message == WM_HOTKEY) return filterHotKey(msg);
    return filterMovieInput(*this, *currentPlayer_, *msg, MoviePress::ArmDrag) ||
           BaseDlg::PreTranslateMessage(msg);
}

bool CMyKolvarDlg::filterHotKey(MSG* msg) {
    currentPlayer_->cancelDrag();
    currentPlayer_->setCommandSuppressed(false);
    consoleLogf("hotKey:%d", static_cast<std::int32_t>(hotKey()));
    if (hotKey() != 0) currentPlayer_->sendKeyCode(static_cast<int>(hotKey()));
    if (inTray())
        restoreFromTray();
    else
        minimizeToTray();
    return BaseDlg::PreTranslateMessage(msg);
}
