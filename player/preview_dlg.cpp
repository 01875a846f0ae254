#include "player/preview_dlg.h"

#include <utility>

#include "common/console.h"
#include "player/flv_player.h"
#include "player/movie_input.h"
#include "resources/player_resources.h"

using namespace platform;

namespace {

const DialogTemplate& previewTemplate() {
    return *resources::playerResources().dialog(resources::IDD_PREVIEW);
}

}  // namespace

struct PreviewHandlers {
    static constexpr MessageMapEntry kMessages[] = {
        {WM_SIZE, onMessage<PreviewDlg, &PreviewDlg::onSize>},
        {WM_GETMINMAXINFO, onMessage<PreviewDlg, &PreviewDlg::onGetMinMaxInfo>},
        {WM_CONTEXTMENU, onMessage<PreviewDlg, &PreviewDlg::onContextMenu>},
        {WM_COMMAND, onMessage<PreviewDlg, &PreviewDlg::onCommand>},
    };
    static constexpr EventSinkEntry kEvents[] = {
        {FlvPlayer::kControlId, CShockwaveFlash::kDispidFSCommand,
         onStringEvent<PreviewDlg, &PreviewDlg::onFlashCommand>},
    };
};

const MessageMap* PreviewDlg::GetMessageMap() const {
    static const MessageMap map{nullptr, PreviewHandlers::kMessages};
    return &map;
}

const EventSinkMap* PreviewDlg::GetEventSinkMap() const {
    static const EventSinkMap map{nullptr, PreviewHandlers::kEvents};
    return &map;
}

PreviewDlg::PreviewDlg(FlvPlayer* player, TopMostListener topMostChanged)
    : BaseDlg(previewTemplate()), player_(player), topMostChanged_(std::move(topMostChanged)) {}

bool PreviewDlg::OnInitDialog() {
    BaseDlg::OnInitDialog();
    consoleLog("PreviewDlg::OnInitDialog 1");
    SetWindowLong(GWL_STYLE, static_cast<LONG>(GetStyle() | WS_CLIPCHILDREN | WS_SYSMENU |
                                               WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    SetWindowText("正在播放...");
    consoleLog("PreviewDlg::OnInitDialog 2");
    consoleLog("PreviewDlg::OnInitDialog 3");
    adjustSize(kWidth, kHeight, false);
    player_->fitToParent();
    consoleLog("PreviewDlg::OnInitDialog 5");
    setResizable(false);
    consoleLog("PreviewDlg::OnInitDialog 6");
    consoleLog("预览窗口完成初始化.");
    return true;
}

void PreviewDlg::initContextMenu() {
    menu_.LoadMenu(*resources::playerResources().menu(resources::IDR_PREVIEW_MENU));
    Menu* popup = menu_.GetSubMenu(0);
    setContextMenu(popup);
    consoleLogf("PreviewDlg::initContextMenu:%ld",
                static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(popup)));
}

void PreviewDlg::show() {
    consoleLog("PreviewDlg::show()");
    if (shown_) return;
    shown_ = true;
    // Minimising and restoring produces a size change, whose handler fits the movie.
    setShowState(kShowMinimized);
    setShowState(kShowNormal);
    ShowWindow(SW_SHOW);
}

void PreviewDlg::hide() {
    if (!shown_) return;
    shown_ = false;
    ShowWindow(SW_HIDE);
}

void PreviewDlg::close() {
    hide();
    player_->stopPlay();
    consoleLog("PreviewDlg::close()");
}

void PreviewDlg::onTopMostChanged(bool topmost) {
    if (topMostChanged_) topMostChanged_(topmost);
}

void PreviewDlg::onFlashCommand(const std::string& command, const std::string& args) {
    player_->handleCommand(command, args);
}

LRESULT PreviewDlg::onSize(WPARAM, LPARAM) {
    if (player_->isReady()) player_->fitToParent();
    return 0;
}

LRESULT PreviewDlg::onGetMinMaxInfo(WPARAM, LPARAM lParam) {
    return keepDesignSize(lParam, kWidth, kHeight);
}

LRESULT PreviewDlg::onContextMenu(WPARAM wParam, LPARAM) {
    return logContextMenu("PreviewDlg", wParam);
}

LRESULT PreviewDlg::onCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == resources::ID_PREVIEW_CLOSE)
        close();
    else if (LOWORD(wParam) == resources::ID_TOGGLE_MAXIMIZED)
        setShowState(kToggleMaximized);
    else
        return DefWindowProc(WM_COMMAND, wParam, lParam);
    return 0;
}

bool PreviewDlg::PreTranslateMessage(MSG* msg) {
    if (!player_->isReady()) return BaseDlg::PreTranslateMessage(msg);
    return filterMovieInput(*this, *player_, *msg, MoviePress::ClickAndArmDrag) ||
           BaseDlg::PreTranslateMessage(msg);
}
