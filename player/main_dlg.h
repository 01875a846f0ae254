// The backdrop: an invisible, maximised tool window behind the main window. It is the
// player's modal dialog and the main window's owner; lights off fades it in to opaque black.
#pragma once

#include "player/my_kolvar_dlg.h"
#include "shell/base_dlg.h"

class MainDlg : public BaseDlg {
  public:
    MainDlg();
    CMyKolvarDlg& mainWindow() { return mainWindow_; }
    // Key presses aimed at the backdrop go to the main window's filter.
    bool PreTranslateMessage(platform::MSG* msg) override;

  protected:
    bool OnInitDialog() override;

  private:
    CMyKolvarDlg mainWindow_;
};
