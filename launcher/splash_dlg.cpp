#include "launcher/splash_dlg.h"

#include <chrono>
#include <filesystem>

#include "common/console.h"
#include "flash/flash_requests.h"
#include "launcher/launcher_app.h"
#include "platform/messages.h"
#include "platform/os/clock.h"
#include "platform/os/process.h"
#include "resources/launcher_resources.h"

using namespace platform;

namespace {

// Posted to the splash by `failMess`: a notice waits to be carried into the movie.
constexpr UINT kNoticeMessage = WM_APP + 1;

const DialogTemplate& splashTemplate() {
    return *resources::launcherResources().dialog(resources::IDD_SPLASH);
}

std::string welcomeMoviePath() {
    std::error_code error;
    return (std::filesystem::current_path(error) / "welcome.swf").string();
}

}  // namespace

struct SplashHandlers {
    static constexpr MessageMapEntry kMessages[] = {
        {kNoticeMessage, onMessage<SplashDlg, &SplashDlg::onNotice>},
    };
    static constexpr EventSinkEntry kEvents[] = {
        {SplashDlg::kControlId, CShockwaveFlash::kDispidFSCommand,
         onStringEvent<SplashDlg, &SplashDlg::onFlashCommand>},
    };
};

const MessageMap* SplashDlg::GetMessageMap() const {
    static const MessageMap map{nullptr, SplashHandlers::kMessages};
    return &map;
}

const EventSinkMap* SplashDlg::GetEventSinkMap() const {
    static const EventSinkMap map{nullptr, SplashHandlers::kEvents};
    return &map;
}

SplashDlg::SplashDlg(CLauncherApp* app, Window* parent)
    : BaseDlg(splashTemplate(), parent, Variant::Launcher), app_(app) {}

bool SplashDlg::OnInitDialog() {
    BaseDlg::OnInitDialog();
    SetWindowText("正在启动中...");
    // Not centred here: the dialog's own auto-centring centres it as initialisation ends.
    adjustSize(kWidth, kHeight, false);
    createFlashControl(flash_, *this, kControlId, welcomeMoviePath());
    const RECT client = GetClientRect();
    flash_.MoveWindow(0, 0, client.width(), client.height(), true);
    updateShape();
    {
        std::lock_guard lock(noticeMutex_);
        movieReady_ = true;
    }
    deliverNotices();
    return true;
}

bool SplashDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        SendMessage(WM_COMMAND, IDCANCEL);
        return true;
    }
    return BaseDlg::PreTranslateMessage(msg);
}

void SplashDlg::failMess(const std::string& text) {
    consoleLogf("failMess:%s", text);
    std::lock_guard lock(noticeMutex_);
    notices_.push_back(text);
    if (movieReady_) PostMessage(kNoticeMessage, 0, 0);
}

LRESULT SplashDlg::onNotice(WPARAM, LPARAM) {
    deliverNotices();
    return 0;
}

void SplashDlg::deliverNotices() {
    std::vector<std::string> notices;
    {
        std::lock_guard lock(noticeMutex_);
        notices.swap(notices_);
    }
    for (const std::string& notice : notices) callFunction(flash_requests::failMess(notice));
}

std::string SplashDlg::callFunction(const std::string& request) {
    try {
        return flash_.CallFunction(request);
    } catch (const DispatchException&) {
        consoleLogf("callFunction.error, %s", request);
        return {};
    }
}

void SplashDlg::onFlashCommand(const std::string& command, const std::string&) {
    if (command == "close") {
        close();
        endLauncher();
    }
    if (command == "reStart") {
        app_->closeInstanceMutex();
        shellExecute("VexoClient.exe", "");
        sleepFor(std::chrono::milliseconds(50));
        close();
        endLauncher();
    }
}

void SplashDlg::endLauncher() { endLauncherProcess(0); }
