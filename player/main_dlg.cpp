#include "player/main_dlg.h"

#include "resources/player_resources.h"
#include "shell/layered_window.h"

using namespace platform;

MainDlg::MainDlg() : BaseDlg(*resources::playerResources().dialog(resources::IDD_BACKDROP)) {}

bool MainDlg::OnInitDialog() {
    // No task-bar button for the backdrop.
    SetWindowLong(GWL_EXSTYLE,
                  static_cast<LONG>((GetExStyle() & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW));
    BaseDlg::OnInitDialog();
    SetWindowText(kTrayTip);
    setLayeredAlpha(GetSafeHwnd(), 0);
    setShowState(kShowMaximized);
    mainWindow_.Create(this);
    mainWindow_.ShowWindow(SW_SHOW);
    return true;
}

bool MainDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN) return mainWindow_.PreTranslateMessage(msg);
    return BaseDlg::PreTranslateMessage(msg);
}
