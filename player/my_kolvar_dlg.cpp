#include "player/my_kolvar_dlg.h"

#include "common/console.h"
#include "platform/icon.h"
#include "platform/os/process.h"
#include "platform/shell_services.h"
#include "player/player_globals.h"
#include "resources/player_resources.h"

using namespace platform;
using namespace resources;

namespace {

const DialogTemplate& mainTemplate() { return *playerResources().dialog(IDD_MAIN); }

}  // namespace

struct MainWindowHandlers {
    static constexpr MessageMapEntry kMessages[] = {
        {WM_SIZE, onMessage<CMyKolvarDlg, &CMyKolvarDlg::onSize>},
        {WM_GETMINMAXINFO, onMessage<CMyKolvarDlg, &CMyKolvarDlg::onGetMinMaxInfo>},
        {WM_CONTEXTMENU, onMessage<CMyKolvarDlg, &CMyKolvarDlg::onContextMenu>},
        {WM_COMMAND, onMessage<CMyKolvarDlg, &CMyKolvarDlg::onCommand>},
        {BaseDlg::kTrayMessage, onMessage<CMyKolvarDlg, &CMyKolvarDlg::onTrayNotify>},
    };
    static constexpr EventSinkEntry kEvents[] = {
        {MainPlayer::kControlId, CShockwaveFlash::kDispidFSCommand,
         onStringEvent<CMyKolvarDlg, &CMyKolvarDlg::onMainCommand>},
        {FlvPlayer::kControlId, CShockwaveFlash::kDispidFSCommand,
         onStringEvent<CMyKolvarDlg, &CMyKolvarDlg::onPlayCommand>},
    };
};

const MessageMap* CMyKolvarDlg::GetMessageMap() const {
    static const MessageMap map{nullptr, MainWindowHandlers::kMessages};
    return &map;
}

const EventSinkMap* CMyKolvarDlg::GetEventSinkMap() const {
    static const EventSinkMap map{nullptr, MainWindowHandlers::kEvents};
    return &map;
}

CMyKolvarDlg::CMyKolvarDlg()
    : BaseDlg(mainTemplate()),
      mainPlayer_(*this),
      flvPlayer_(*this),
      currentPlayer_(&mainPlayer_),
      preview_(&flvPlayer_, [this](bool topmost) { onTopMostChanged(topmost); }),
      icon_(platform::LoadIcon(IDI_MAIN)) {
    consoleLog("previewDlg is exist.");
}

bool CMyKolvarDlg::OnInitDialog() {
    BaseDlg::OnInitDialog();
    SetWindowLong(GWL_STYLE, static_cast<LONG>(GetStyle() | WS_CLIPCHILDREN | WS_SYSMENU |
                                               WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    SetWindowText(kTrayTip);
    consoleLog("CMyKolvarDlg::OnInitDialog.adjustSize 1");
    adjustSize(kWidth, kHeight, true);
    consoleLog("CMyKolvarDlg::OnInitDialog.adjustSize 2");
    consoleLog("CMyKolvarDlg::OnInitDialog 1");
    consoleLog("CMyKolvarDlg::OnInitDialog 2");
    SetIcon(icon_, true);
    SetIcon(icon_, false);
    mainPlayer_.setParentWindow(this);
    consoleLog("CMyKolvarDlg::OnInitDialog 4");
    mainPlayer_.loadMovie(g_mainMovieUrl);
    flvPlayer_.setHostWindow(*this);
    currentPlayer_->fitToParent();
    updateShape();
    consoleLog("主窗口完成初始化.");
    preview_.Create(this);
    addTrayIcon();
    return true;
}

void CMyKolvarDlg::initContextMenu() {
    const auto& table = playerResources();
    mainMenu_.LoadMenu(*table.menu(IDR_MAIN_MENU));
    setContextMenu(mainMenu_.GetSubMenu(0));
    playMenu_.LoadMenu(*table.menu(IDR_PLAY_MENU));
    trayMenu_.LoadMenu(*table.menu(IDR_TRAY_MENU));
    setTrayMenu(trayMenu_.GetSubMenu(0));
}

void CMyKolvarDlg::useMenu(Menu& menu) { setContextMenu(menu.GetSubMenu(0)); }

void CMyKolvarDlg::onMainCommand(const std::string& command, const std::string& args) {
    mainPlayer_.handleCommand(command, args);
}

void CMyKolvarDlg::onPlayCommand(const std::string& command, const std::string& args) {
    flvPlayer_.handleCommand(command, args);
}

void CMyKolvarDlg::setControlVisible(FlashShell& shell, bool visible) {
    if (auto* control = Window::FromHandle(shell.controlWindow()))
        control->ShowWindow(visible ? SW_SHOW : SW_HIDE);
}

void CMyKolvarDlg::close() {
    consoleLogf("isMinimizeToTray:%d", inTray() ? 1 : 0);
    if (currentPlayer_ == &flvPlayer_ && !inTray()) {
        if (isMaximized()) setShowState(kShowNormal);
        returnToMain();
        return;
    }
    removeTrayIcon();
    exitProcess(0);
}

void CMyKolvarDlg::returnToMain() {
    if (currentPlayer_ == &flvPlayer_) {
        setControlVisible(flvPlayer_, false);
        flvPlayer_.stopPlay();
        currentPlayer_ = &mainPlayer_;
        useMenu(mainMenu_);
    }
    currentPlayer_->fitToParent();
    setControlVisible(*currentPlayer_, true);
}

void CMyKolvarDlg::playInMainWindow(const std::optional<std::string>& query) {
    ShowWindow(SW_SHOW);
    if (currentPlayer_ == &mainPlayer_) {
        setControlVisible(mainPlayer_, false);
        currentPlayer_ = &flvPlayer_;
        attachPlayerToMain();
        useMenu(playMenu_);
        loadPlayMovie(query);
        setControlVisible(flvPlayer_, true);
        flvPlayer_.fitToParent();
        return;
    }
    loadPlayMovie(query);
    setControlVisible(mainPlayer_, false);
    flvPlayer_.fitToParent();
    setControlVisible(flvPlayer_, true);
}

void CMyKolvarDlg::attachPlayerToMain() {
    flvPlayer_.setHostWindow(*this);
    // A shell whose control could not be created is ready but has no window to move.
    if (Window* control = Window::FromHandle(flvPlayer_.controlWindow())) control->SetParent(this);
    preview_.hide();
}

void CMyKolvarDlg::loadPlayMovie(const std::optional<std::string>& query) {
    if (query) {
        flvPlayer_.loadMovie(g_playMovieUrl + "?" + *query);
        flvPlayer_.fitToParent();
    } else if (flvPlayer_.isReady()) {
        flvPlayer_.currentControl()->Play();
    }
}

void CMyKolvarDlg::backToMain() { leavePlayMode(true); }

void CMyKolvarDlg::backToMainKeepingState() { leavePlayMode(false); }

// The video moves to the preview window (or, stopped, is hidden) and the main movie comes
// back; `restoreSizes` also returns the window, or a maximised preview, to normal.
void CMyKolvarDlg::leavePlayMode(bool restoreSizes) {
    if (currentPlayer_ == &flvPlayer_) {
        if (flvPlayer_.isReady())
            showPreview();
        else
            setControlVisible(flvPlayer_, false);
        currentPlayer_ = &mainPlayer_;
        useMenu(mainMenu_);
        if (restoreSizes && isMaximized()) setShowState(kShowNormal);
    } else if (restoreSizes && preview_.isMaximized()) {
        preview_.setShowState(kShowNormal);
    }
    currentPlayer_->fitToParent();
    setControlVisible(*currentPlayer_, true);
}

void CMyKolvarDlg::showPreview() {
    if (preview_.isShown()) return;
    flvPlayer_.setHostWindow(preview_);
    if (Window* control = Window::FromHandle(flvPlayer_.controlWindow()))
        control->SetParent(&preview_);
    const RECT main = GetWindowRect();
    const RECT preview = preview_.GetClientRect();
    const RECT desktop = backend().screenRect();
    consoleLogf("mrect.bottom:%d", main.bottom);
    consoleLogf("prect.Height():%d", preview.height());
    consoleLogf("mrect.bottom - prect.Height():%d", main.bottom - preview.height());
    const LONG x = std::max<LONG>(0, main.left - preview.width());
    const LONG y = std::min(main.bottom, desktop.bottom) - preview.height();
    preview_.moveTo(x, y);
    preview_.show();
}

void CMyKolvarDlg::playInPreview(const std::optional<std::string>& query) {
    loadPlayMovie(query);
    showPreview();
}

void CMyKolvarDlg::setArg(const std::string& query) {
    if (preview_.isShown()) {
        loadPlayMovie(query + "&iswin=true");
        showPreview();
    } else {
        playInMainWindow(query);
    }
    mainPlayer_.setVolume(query);
}

void CMyKolvarDlg::minimizeToTray() {
    mainPlayer_.doPause();
    flvPlayer_.doPause();
    if (preview_.isShown()) preview_.BaseDlg::minimizeToTray();
    BaseDlg::minimizeToTray();
    consoleLog("CMyKolvarDlg::minimizeToTray()");
}

void CMyKolvarDlg::restoreFromTray() {
    if (!inTray()) return;
    BaseDlg::restoreFromTray();
    preview_.BaseDlg::restoreFromTray();
    mainPlayer_.doResume();
    flvPlayer_.doResume();
}

void CMyKolvarDlg::onTopMostChanged(bool topmost) {
    mainPlayer_.setWindow(topmost);
    flvPlayer_.setWindow(topmost);
}
