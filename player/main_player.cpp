#include "player/main_player.h"

#include "common/console.h"
#include "player/loading_dlg.h"

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

void MainPlayer::close(const std::string&) { host_.closeWindow(); }

void MainPlayer::closePreview(const std::string&) {
    if (host_.isPreviewShown()) host_.closePreview();
}

void MainPlayer::back(const std::string&) { host_.backToMainMovie(); }
void MainPlayer::minimize(const std::string&) { host_.showWindowAs(BaseDlg::kShowMinimized); }
void MainPlayer::minimizeToTray(const std::string&) { host_.hideToTray(); }
void MainPlayer::full(const std::string&) { host_.showWindowAs(BaseDlg::kShowMaximized); }
void MainPlayer::resume(const std::string&) { host_.showWindowAs(BaseDlg::kShowNormal); }
void MainPlayer::front(const std::string&) { host_.keepOnTop(true); }
void MainPlayer::behind(const std::string&) { host_.keepOnTop(false); }

void MainPlayer::loadComplete(const std::string&) {
    if (loadingTimerId_ != 0) closeLoadingWindow(loadingTimerId_);
}

void MainPlayer::setArg(const std::string& query) { host_.setMovieArg(query); }

void MainPlayer::getStatus(const std::string&) {
    callWithString("GetStatus", host_.isPreviewShown() ? "true" : "false");
}

void MainPlayer::registerHotKey(const std::string& keys) { host_.setHotKey(keys); }
void MainPlayer::unregisterHotKey(const std::string&) { host_.clearHotKey(); }

void MainPlayer::relayMessage(const std::string& message) { host_.sendToPlayMovie(message); }
