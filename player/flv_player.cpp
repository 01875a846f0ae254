#include "player/flv_player.h"

#include "common/console.h"
#include "player/my_kolvar_dlg.h"
#include "player/preview_dlg.h"

// Compared in this order, as whole case-sensitive names.
struct FlvPlayerCommands {
    static const CommandEntry<FlvPlayer> kTable[];
};

const CommandEntry<FlvPlayer> FlvPlayerCommands::kTable[] = {
    {"Close", &FlvPlayer::close},
    {"Min", &FlvPlayer::minimize},
    {"MinToTray", &FlvPlayer::minimizeToTray},
    {"Full", &FlvPlayer::full},
    {"Resume", &FlvPlayer::resume},
    {"Turnoff", &FlvPlayer::nothing},
    {"Front", &FlvPlayer::front},
    {"Behind", &FlvPlayer::behind},
    // This shell never has a loading window, so there is nothing to close.
    {"loadcomplete", &FlvPlayer::nothing},
    {"Window", &FlvPlayer::window},
    {"setarg", &FlvPlayer::setArg},
    {"RegisterHotKey", &FlvPlayer::registerHotKey},
    {"UnregisterHotKey", &FlvPlayer::unregisterHotKey},
    {"SendMessage", &FlvPlayer::relayMessage},
};

FlvPlayer::FlvPlayer(CMyKolvarDlg* mainWindow, PreviewDlg* previewWindow)
    : mainWindow_(mainWindow), previewWindow_(previewWindow) {
    if (previewWindow_ != nullptr) consoleLog("previewDlg is exist.");
}

void FlvPlayer::loadMovie(const std::string& url) { play(url, kControlId); }

void FlvPlayer::handleCommand(const std::string& command, const std::string& args) {
    if (isCommandSuppressed() || !isReady()) return;
    consoleLogf("FlvPlayer::handleCommand:%s", command);
    try {
        runCommand(*this, FlvPlayerCommands::kTable, command, args);
    } catch (...) {
        consoleLog("FlvPlayer::handleCommand.error");
    }
}

BaseDlg* FlvPlayer::host() const { return static_cast<BaseDlg*>(parentWindow()); }

void FlvPlayer::close(const std::string&) {
    host()->close();
    mainWindow_->showAndActivate();
    stopPlay();
}

void FlvPlayer::minimize(const std::string&) { host()->setShowState(BaseDlg::kShowMinimized); }

void FlvPlayer::minimizeToTray(const std::string& args) {
    if (previewWindow_->isShown())
        close(args);
    else
        mainWindow_->minimizeToTray();
}

void FlvPlayer::full(const std::string&) { host()->setShowState(BaseDlg::kShowMaximized); }

void FlvPlayer::resume(const std::string&) {
    host()->setShowState(BaseDlg::kShowNormal);
    if (!previewWindow_->isShown()) return;
    mainWindow_->playInMainWindow(std::nullopt);
    mainWindow_->showAndActivate();
}

void FlvPlayer::front(const std::string&) {
    if (host()->isMaximized())
        host()->setTopMost();
    else
        mainWindow_->setTopMost();
}

void FlvPlayer::behind(const std::string&) {
    if (host()->isMaximized())
        host()->clearTopMost();
    else
        mainWindow_->clearTopMost();
}

void FlvPlayer::window(const std::string&) { mainWindow_->backToMain(); }

void FlvPlayer::setArg(const std::string& query) { mainWindow_->setArg(query); }

void FlvPlayer::registerHotKey(const std::string& keys) { mainWindow_->registerHotKey(keys); }

void FlvPlayer::unregisterHotKey(const std::string&) { mainWindow_->unregisterHotKey(); }

void FlvPlayer::relayMessage(const std::string& message) {
    mainWindow_->mainPlayer().sendMessage(message);
}
