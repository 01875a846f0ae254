#include "player/flv_player.h"

#include "common/console.h"

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

void FlvPlayer::setHostWindow(BaseDlg& window) {
    setParentWindow(&window);
    window_ = &window;
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

void FlvPlayer::close(const std::string&) {
    window_->close();
    host_.showAndActivateWindow();
    stopPlay();
}

void FlvPlayer::minimize(const std::string&) { window_->setShowState(BaseDlg::kShowMinimized); }

void FlvPlayer::minimizeToTray(const std::string& args) {
    if (host_.isPreviewShown())
        close(args);
    else
        host_.hideToTray();
}

void FlvPlayer::full(const std::string&) { window_->setShowState(BaseDlg::kShowMaximized); }

void FlvPlayer::resume(const std::string&) {
    window_->setShowState(BaseDlg::kShowNormal);
    if (!host_.isPreviewShown()) return;
    host_.resumeVideoInMainWindow();
    host_.showAndActivateWindow();
}

// A maximised video window stacks itself; otherwise the main window goes on top or back.
void FlvPlayer::front(const std::string&) {
    if (window_->isMaximized())
        window_->setTopMost();
    else
        host_.keepOnTop(true);
}

void FlvPlayer::behind(const std::string&) {
    if (window_->isMaximized())
        window_->clearTopMost();
    else
        host_.keepOnTop(false);
}

void FlvPlayer::window(const std::string&) { host_.backToMainMovie(); }

void FlvPlayer::setArg(const std::string& query) { host_.setMovieArg(query); }

void FlvPlayer::registerHotKey(const std::string& keys) { host_.setHotKey(keys); }

void FlvPlayer::unregisterHotKey(const std::string&) { host_.clearHotKey(); }

void FlvPlayer::relayMessage(const std::string& message) { host_.sendToMainMovie(message); }
