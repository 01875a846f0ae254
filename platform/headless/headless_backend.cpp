#include "platform/headless/headless_backend.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/headless/headless_script.h"
#include "platform/headless/headless_window.h"
#include "platform/messages.h"
#include "platform/thread_queue.h"

namespace platform {

namespace {

constexpr LONG kTaskBarHeight = 40;

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// VEXO_HEADLESS_SCREEN=<width>x<height>; 1920 x 1080 without it.
RECT screenFromEnvironment() {
    int width = 1920, height = 1080;
    const std::string text = envOrEmpty("VEXO_HEADLESS_SCREEN");
    if (!text.empty() && std::sscanf(text.c_str(), "%dx%d", &width, &height) != 2)
        std::fprintf(stderr, "vexo: VEXO_HEADLESS_SCREEN=%s is not <width>x<height>\n",
                     text.c_str());
    return RECT{0, 0, std::max(width, 1), std::max(height, kTaskBarHeight + 1)};
}

std::string ownerText(BackendWindow* owner) {
    return handleText(owner ? static_cast<HeadlessWindow*>(owner)->hwnd() : nullptr);
}

std::string menuText(const Menu& menu) {
    std::string text;
    for (const auto& item : menu.items())
        text += (text.empty() ? "" : ",") +
                (item.popup ? std::string("popup") : std::to_string(item.id));
    return text;
}

class HeadlessBackend final : public Backend {
  public:
    HeadlessBackend()
        : screen_(envOrEmpty("VEXO_UI_TRACE"), screenFromEnvironment(), kTaskBarHeight),
          script_(envOrEmpty("VEXO_HEADLESS_SCRIPT").empty()
                      ? HeadlessScript()
                      : HeadlessScript::load(envOrEmpty("VEXO_HEADLESS_SCRIPT"))) {}

    std::string name() const override { return "headless"; }

    std::unique_ptr<BackendWindow> createWindow(const NativeWindowSpec& spec,
                                                BackendWindow* parent) override {
        startInputOnce();
        return std::make_unique<HeadlessWindow>(screen_, spec, parent);
    }
    std::unique_ptr<EventPump> createPump() override { return makeConditionPump(); }
    RECT screenRect() const override { return screen_.screenRect(); }
    RECT workArea() const override { return screen_.workArea(); }
    int messageBox(BackendWindow* owner, const std::string& text, const std::string& caption,
                   UINT type) override;
    void trace(const std::string& line) override { screen_.trace().write(line); }

    bool registerHotKey(HWND hwnd, int id, UINT modifiers, UINT key) override;
    void unregisterHotKey(HWND hwnd, int id) override;
    bool addTrayIcon(const NOTIFYICONDATA& data) override;
    bool removeTrayIcon(HWND hwnd, UINT id) override;
    UINT trackPopupMenu(const Menu& menu, POINT at, BackendWindow* owner) override;
    void setCursor(int systemCursorId) override {
        trace("cursor " + std::to_string(systemCursorId));
    }
    POINT cursorPos() const override {
        std::lock_guard lock(mutex_);
        return cursor_;
    }
    void setDialogColors(COLORREF background, COLORREF text) override {
        trace("dialogcolors " + flagsText(background) + " " + flagsText(text));
    }
    bool leftButtonDown() const override {
        std::lock_guard lock(mutex_);
        return leftDown_;
    }

  private:
    struct HotKeyEntry {
        HWND hwnd;
        int id;
    };
    void startInputOnce();
    void runStep(std::size_t index);
    void deliver(const InputStep& step);
    void deliverMouse(const InputStep& step);
    void deliverClose(const InputStep& step);
    static int defaultAnswer(UINT type);

    HeadlessScreen screen_;
    mutable std::mutex mutex_;
    HeadlessScript script_;
    POINT cursor_{};
    bool leftDown_ = false;
    bool inputStarted_ = false;
    std::map<std::pair<UINT, UINT>, HotKeyEntry> hotKeys_;
    std::map<std::pair<HWND, UINT>, NOTIFYICONDATA> trayIcons_;
};

int HeadlessBackend::messageBox(BackendWindow* owner, const std::string& text,
                                const std::string& caption, UINT type) {
    std::optional<int> answer;
    {
        std::lock_guard lock(mutex_);
        answer = script_.takeMessageBoxAnswer();
    }
    const int result = answer.value_or(defaultAnswer(type));
    trace("msgbox owner=" + ownerText(owner) + " type=" + flagsText(type) +
          " caption=" + quoted(caption) + " text=" + quoted(text) +
          " answer=" + dialogResultName(result) + (answer ? "" : " (default)"));
    return result;
}

// Without a scripted answer a box gets its first button, as pressing Enter would.
int HeadlessBackend::defaultAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return IDYES;
        case MB_RETRYCANCEL:
            return IDRETRY;
        default:
            return IDOK;
    }
}

bool HeadlessBackend::registerHotKey(HWND hwnd, int id, UINT modifiers, UINT key) {
    std::lock_guard lock(mutex_);
    const bool taken = script_.hotKeyTaken(modifiers, key);
    if (!taken) hotKeys_[{modifiers, key}] = HotKeyEntry{hwnd, id};
    screen_.trace().write("hotkey " + handleText(hwnd) + " " + std::to_string(id) + " " +
                          std::to_string(modifiers) + "_" + std::to_string(key) +
                          (taken ? " taken" : " registered"));
    return !taken;
}

void HeadlessBackend::unregisterHotKey(HWND hwnd, int id) {
    std::lock_guard lock(mutex_);
    std::erase_if(hotKeys_,
                  [&](const auto& e) { return e.second.hwnd == hwnd && e.second.id == id; });
    screen_.trace().write("hotkey " + handleText(hwnd) + " " + std::to_string(id) + " released");
}

bool HeadlessBackend::addTrayIcon(const NOTIFYICONDATA& data) {
    std::lock_guard lock(mutex_);
    const bool added = trayIcons_.emplace(std::pair{data.hWnd, data.uID}, data).second;
    if (added)
        screen_.trace().write("tray add " + handleText(data.hWnd) + " " + std::to_string(data.uID) +
                              " icon=" + std::to_string(data.iconResource) +
                              " tip=" + quoted(data.szTip));
    return added;
}

bool HeadlessBackend::removeTrayIcon(HWND hwnd, UINT id) {
    std::lock_guard lock(mutex_);
    const bool removed = trayIcons_.erase({hwnd, id}) > 0;
    if (removed)
        screen_.trace().write("tray remove " + handleText(hwnd) + " " + std::to_string(id));
    return removed;
}

UINT HeadlessBackend::trackPopupMenu(const Menu& menu, POINT at, BackendWindow* owner) {
    std::optional<UINT> answer;
    {
        std::lock_guard lock(mutex_);
        answer = script_.takeMenuAnswer();
    }
    trace("menu owner=" + ownerText(owner) + " at=" + std::to_string(at.x) + "," +
          std::to_string(at.y) + " items=" + menuText(menu) +
          " choice=" + std::to_string(answer.value_or(0)));
    return answer.value_or(0);
}

// Scripted input runs on the thread that creates the first window, one step after another.
void HeadlessBackend::startInputOnce() {
    {
        std::lock_guard lock(mutex_);
        if (inputStarted_ || script_.input().empty()) return;
        inputStarted_ = true;
    }
    runStep(0);
}

void HeadlessBackend::runStep(std::size_t index) {
    if (index >= script_.input().size()) return;
    const InputStep step = script_.input()[index];
    ThreadQueue::current().postTask(
        step.delayMs,
        [this, step, index] {
            deliver(step);
            runStep(index + 1);
        },
        this);
}

void HeadlessBackend::deliver(const InputStep& step) {
    if (step.kind == InputKind::Key) {
        const HeadlessWindow* window = screen_.keyTarget();
        const HWND target = window ? window->hwnd() : nullptr;
        trace("input key " + std::to_string(step.a) + " to " + handleText(target));
        if (target) {
            postMessage(target, WM_KEYDOWN, static_cast<WPARAM>(step.a), 1);
            postMessage(target, WM_KEYUP, static_cast<WPARAM>(step.a), 1);
        }
    } else if (step.kind == InputKind::HotKey) {
        std::optional<HotKeyEntry> entry;
        {
            std::lock_guard lock(mutex_);
            auto it = hotKeys_.find({static_cast<UINT>(step.a), static_cast<UINT>(step.b)});
            if (it != hotKeys_.end()) entry = it->second;
        }
        trace("input hotkey " + std::to_string(step.a) + "_" + std::to_string(step.b));
        if (entry)
            postMessage(
                entry->hwnd, WM_HOTKEY, static_cast<WPARAM>(entry->id),
                MAKELPARAM(static_cast<std::uint16_t>(step.a), static_cast<std::uint16_t>(step.b)));
    } else if (step.kind == InputKind::Close) {
        deliverClose(step);
    } else if (step.kind == InputKind::Tray) {
        std::optional<NOTIFYICONDATA> icon;
        {
            std::lock_guard lock(mutex_);
            if (!trayIcons_.empty()) icon = trayIcons_.begin()->second;
        }
        trace("input tray " + std::to_string(step.a));
        if (icon)
            postMessage(icon->hWnd, icon->uCallbackMessage, icon->uID, static_cast<LPARAM>(step.a));
    } else {
        deliverMouse(step);
    }
}

void HeadlessBackend::deliverMouse(const InputStep& step) {
    static constexpr std::pair<InputKind, UINT> kMessages[] = {
        {InputKind::MouseMove, WM_MOUSEMOVE},   {InputKind::MouseDown, WM_LBUTTONDOWN},
        {InputKind::MouseUp, WM_LBUTTONUP},     {InputKind::MouseDoubleClick, WM_LBUTTONDBLCLK},
        {InputKind::RightDown, WM_RBUTTONDOWN}, {InputKind::RightUp, WM_RBUTTONUP}};
    UINT message = WM_MOUSEMOVE;
    for (const auto& [kind, msg] : kMessages)
        if (kind == step.kind) message = msg;
    const POINT point{step.a, step.b};
    {
        std::lock_guard lock(mutex_);
        cursor_ = point;
        if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) leftDown_ = true;
        if (message == WM_LBUTTONUP) leftDown_ = false;
    }
    // The window with the capture gets the mouse wherever it is.
    const HeadlessWindow* window = screen_.captured();
    if (window == nullptr) window = screen_.windowAt(point);
    const HWND target = window ? window->hwnd() : nullptr;
    const POINT origin = window ? window->clientOrigin() : POINT{};
    trace("input mouse " + std::to_string(message) + " " + std::to_string(point.x) + "," +
          std::to_string(point.y) + " to " + handleText(target));
    const auto x = static_cast<std::uint16_t>(point.x - origin.x);
    const auto y = static_cast<std::uint16_t>(point.y - origin.y);
    if (target) postMessage(target, message, leftDown_ ? MK_LBUTTON : 0, MAKELPARAM(x, y));
}

// What Alt+F4 or the window manager's close does: WM_CLOSE to the top-level window.
void HeadlessBackend::deliverClose(const InputStep& step) {
    const HeadlessWindow* window = screen_.topLevelWindowAt(POINT{step.a, step.b});
    const HWND target = window ? window->hwnd() : nullptr;
    trace("input close " + std::to_string(step.a) + "," + std::to_string(step.b) + " to " +
          handleText(target));
    if (target) postMessage(target, WM_CLOSE);
}

}  // namespace

std::unique_ptr<Backend> createHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace platform
