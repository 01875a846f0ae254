// The main window as the shells' ShellHost: each request is one of the window's own operations.
#include "player/my_kolvar_dlg.h"

void CMyKolvarDlg::closeWindow() { close(); }

void CMyKolvarDlg::showWindowAs(ShowRequest request) { setShowState(request); }

void CMyKolvarDlg::keepOnTop(bool topmost) {
    if (topmost)
        setTopMost();
    else
        clearTopMost();
}

void CMyKolvarDlg::showAndActivateWindow() { showAndActivate(); }

void CMyKolvarDlg::hideToTray() { minimizeToTray(); }

void CMyKolvarDlg::backToMainMovie() { backToMain(); }

void CMyKolvarDlg::resumeVideoInMainWindow() { playInMainWindow(std::nullopt); }

void CMyKolvarDlg::setMovieArg(const std::string& query) { setArg(query); }

// The preview's close stops the video already; the shell's own stop then finds it stopped.
void CMyKolvarDlg::closePreview() {
    preview_.close();
    flvPlayer_.stopPlay();
}

void CMyKolvarDlg::setHotKey(const std::string& keys) { registerHotKey(keys); }

void CMyKolvarDlg::clearHotKey() { unregisterHotKey(); }

void CMyKolvarDlg::sendToMainMovie(const std::string& message) { mainPlayer_.sendMessage(message); }

void CMyKolvarDlg::sendToPlayMovie(const std::string& message) { flvPlayer_.sendMessage(message); }
