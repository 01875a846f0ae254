#include "player/loading_dlg.h"

#include <filesystem>

#include "platform/messages.h"
#include "resources/player_resources.h"

using namespace platform;

namespace {

constexpr UINT kLoadingMovieId = 9000;
constexpr UINT kTickMs = 100;

// Windows still open when the process ends stay open until its very end, so the table is never
// destroyed: what it owns stays reachable, and a timer or close during exit finds it intact.
std::map<std::uint32_t, LoadingEntry*>& registry() {
    static auto* entries = new std::map<std::uint32_t, LoadingEntry*>;
    return *entries;
}

const DialogTemplate& loadingTemplate() {
    return *resources::playerResources().dialog(resources::IDD_LOADING);
}

// The installation's loading movie: the current directory, then the file name.
std::string loadingMoviePath() {
    std::error_code error;
    return (std::filesystem::current_path(error) / "loading.swf").string();
}

}  // namespace

std::uint32_t nowMillis() { return tickCount(); }

LoadingDlg::LoadingDlg(Window* parent) : BaseDlg(loadingTemplate(), parent) {}

bool LoadingDlg::OnInitDialog() {
    BaseDlg::OnInitDialog();
    adjustSize(291, 102, true);
    shell_.setParentWindow(this);
    shell_.play(loadingMoviePath(), kLoadingMovieId);
    return true;
}

bool deadlineReached(std::uint32_t now, std::uint32_t deadline) {
    return static_cast<std::int32_t>(now - deadline) >= 0;
}

UINT_PTR showLoadingWindow(Window* parent, std::uint32_t timeoutMs) {
    auto* window = new LoadingDlg(parent);
    window->Create(parent);
    const RECT reference = parent ? parent->GetWindowRect() : backend().screenRect();
    const RECT rect = window->GetWindowRect();
    const LONG left = reference.left + (reference.width() - rect.width()) / 2;
    const LONG top = reference.top + (reference.height() - rect.height()) / 2;
    window->MoveWindow(left, top, rect.width(), rect.height(), true);
    window->ShowWindow(SW_SHOW);
    const UINT_PTR timerId = setTimer(nullptr, 0, kTickMs, loadingTimerProc);
    // A deadline that lands exactly on 0 would read as "none"; one millisecond later is fine.
    std::uint32_t deadline = timeoutMs == 0 ? 0 : nowMillis() + timeoutMs;
    if (timeoutMs != 0 && deadline == 0) deadline = 1;
    auto& slot = registry()[static_cast<std::uint32_t>(timerId)];
    delete slot;
    slot = new LoadingEntry{window, deadline};
    return timerId;
}

void loadingTimerProc(HWND, UINT, UINT_PTR timerId, DWORD) {
    auto& entries = registry();
    auto it = entries.find(static_cast<std::uint32_t>(timerId));
    if (it == entries.end() || it->second == nullptr || it->second->deadline == 0) return;
    if (deadlineReached(nowMillis(), it->second->deadline)) closeLoadingWindow(timerId);
}

void closeLoadingWindow(UINT_PTR timerId) {
    killTimer(nullptr, timerId);
    auto& entries = registry();
    auto it = entries.find(static_cast<std::uint32_t>(timerId));
    if (it == entries.end()) return;
    if (LoadingEntry* entry = it->second) {
        delete entry->window;
        delete entry;
    }
    entries.erase(static_cast<std::uint32_t>(timerId));
}

const std::map<std::uint32_t, LoadingEntry*>& loadingWindows() { return registry(); }
