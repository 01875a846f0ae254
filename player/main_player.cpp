#include "player/main_player.h"

#include "common/console.h"
#include "player/loading_dlg.h"
#include "player/my_kolvar_dlg.h"
#include "player/preview_dlg.h"

// Compared in this order, as whole case-sensitive names.
struct MainPlayerCommands {
    static const CommandEntry<MainPlayer> kTable[];
};

const CommandEntry<MainPlayer> MainPlayerCommands::kTable[] = {
    {"Close", &MainPlayer::close},
    {"ClosePreview", &MainPlayer::closePreview},
    {"Back", &MainPlayer::back},
    {"Min", &MainPlayer::minimize},
    {"MinToTray", &MainPlayer::minimizeToTray},
    {"Full", &MainPlayer::full},
    {"Resume", &MainPlayer::resume},
    {"Turnoff", &MainPlayer::nothing},
    {"Front", &MainPlayer::front},
    {"Behind", &MainPlayer::behind},
    {"loadcomplete", &MainPlayer::loadComplete},
    {"setarg", &MainPlayer::setArg},
    {"GetStatus", &MainPlayer::getStatus},
    {"RegisterHotKey", &MainPlayer::registerHotKey},
    {"UnregisterHotKey", &MainPlayer::unregisterHotKey},
    {"SendMessage", &MainPlayer::relayMessage},
};

void MainPlayer::loadMovie(const std::string& url) {
    play(url, kControlId);
    loadingTimerId_ =
        static_cast<std::uint32_t>(showLoadingWindow(parentWindow(), kLoadingTimeoutMs));
}

void MainPlayer::handleCommand(const std::string& command, const std::string& args) {
    consoleLogf("MainPlayer::handleCommand:%s", command);
    try {
        if (!isCommandSuppressed() && isReady()) dispatch(command, args);
        setCommandSuppressed(false);
    } catch (...) {
        consoleLog("MainPlayer::handleCommand error ...");
    }
}

void MainPlayer::dispatch(const std::string& command, const std::string& args) {
    runCommand(*this, MainPlayerCommands::kTable, command, args);
}

void MainPlayer::close(const std::string&) { mainWindow_->close(); }

void MainPlayer::closePreview(const std::string&) {
    if (!mainWindow_->isPreviewShown()) return;
    mainWindow_->previewWindow().close();
    mainWindow_->flvPlayer().stopPlay();
}

void MainPlayer::back(const std::string&) { mainWindow_->backToMain(); }
void MainPlayer::minimize(const std::string&) {
    mainWindow_->setShowState(BaseDlg::kShowMinimized);
}
void MainPlayer::minimizeToTray(const std::string&) { mainWindow_->minimizeToTray(); }
void MainPlayer::full(const std::string&) { mainWindow_->setShowState(BaseDlg::kShowMaximized); }
void MainPlayer::resume(const std::string&) { mainWindow_->setShowState(BaseDlg::kShowNormal); }
void MainPlayer::front(const std::string&) { mainWindow_->setTopMost(); }
void MainPlayer::behind(const std::string&) { mainWindow_->clearTopMost(); }

void MainPlayer::loadComplete(const std::string&) {
    if (loadingTimerId_ != 0) closeLoadingWindow(loadingTimerId_);
}

void MainPlayer::setArg(const std::string& query) { mainWindow_->setArg(query); }

void MainPlayer::getStatus(const std::string&) {
    callWithString("GetStatus", mainWindow_->isPreviewShown() ? "true" : "false");
}

void MainPlayer::registerHotKey(const std::string& keys) { mainWindow_->registerHotKey(keys); }
void MainPlayer::unregisterHotKey(const std::string&) { mainWindow_->unregisterHotKey(); }

void MainPlayer::relayMessage(const std::string& message) {
    mainWindow_->flvPlayer().sendMessage(message);
}
