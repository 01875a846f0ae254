#include "shell/base_dlg.h"

#include <chrono>

#include "common/console.h"
#include "platform/os/clock.h"
#include "platform/shell_services.h"
#include "shell/hot_key_text.h"
#include "shell/layered_window.h"
#include "shell/size_zone.h"

using namespace platform;

BaseDlg::BaseDlg(const DialogTemplate& resource, Window* parent, Variant variant)
    : Dialog(resource, parent), variant_(variant) {}

bool BaseDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    initContextMenu();
    return true;
}

void BaseDlg::close() {
    if (variant_ == Variant::Launcher)
        Dialog::OnCancel();
    else
        Dialog::OnOK();
}

void BaseDlg::adjustSize(int width, int height, bool centre) {
    const RECT rect = GetWindowRect();
    LONG left = rect.left, top = rect.top;
    if (centre) {
        Window* parent = GetParent();
        if (parent == nullptr && variant_ == Variant::Launcher) consoleLog("GetDesktopWindow!");
        consoleLog("BaseDlg::adjustSize.parent is exist");
        const RECT reference = parent ? parent->GetWindowRect() : backend().screenRect();
        left = reference.left + (reference.width() - width) / 2;
        top = reference.top + (reference.height() - height) / 2;
        if (variant_ == Variant::Launcher) {
            consoleLogf("BaseDlg::adjustSize.prect.left:%d", reference.left);
            consoleLogf("BaseDlg::adjustSize.prect.top:%d", reference.top);
        }
    }
    MoveWindow(left, top, width, height, true);
}

void BaseDlg::moveTo(int x, int y) {
    const RECT client = GetClientRect();
    MoveWindow(x, y, client.width(), client.height(), true);
}

void BaseDlg::updateShape() {
    if (isMaximized())
        setRectShape();
    else
        setRoundShape();
}

void BaseDlg::setRoundShape() {
    const RECT rect = GetWindowRect();
    HRGN region = CreateRoundRectRgn(0, 0, rect.width(), rect.height(), 20, 20);
    SetWindowRgn(region, true);
    windowRegion_ = region;
}

void BaseDlg::setRectShape() {
    const RECT rect = GetWindowRect();
    HRGN region = CreateRoundRectRgn(0, 0, rect.width() + 1, rect.height() + 1, 0, 0);
    SetWindowRgn(region, true);
    windowRegion_ = region;
}

bool BaseDlg::isMaximized() { return GetWindowPlacement().showCmd == SW_SHOWMAXIMIZED; }

void BaseDlg::applyShowCommand(UINT showCmd) {
    WINDOWPLACEMENT placement = GetWindowPlacement();
    placement.showCmd = showCmd;
    SetWindowPlacement(placement);
}

void BaseDlg::setShowState(int request) {
    if (lightsOff_ && request == kShowMinimized) return;
    const UINT current = GetWindowPlacement().showCmd;
    const bool setsState =
        request == kShowNormal || request == kShowMinimized || request == kShowMaximized;
    if (setsState && current != static_cast<UINT>(request))
        applyShowCommand(static_cast<UINT>(request));
    if (request == kToggleMaximized && current == SW_SHOWMAXIMIZED) applyShowCommand(SW_SHOWNORMAL);
    if (request == kToggleMaximized && current == SW_SHOWNORMAL) applyShowCommand(SW_SHOWMAXIMIZED);
    if (variant_ == Variant::Launcher) return;
    SetForegroundWindow();
    SetFocus();
}

void BaseDlg::minimizeToTray() {
    wasMaximized_ = isMaximized();
    ShowWindow(SW_HIDE);
    inTray_ = true;
}

void BaseDlg::restoreFromTray() {
    if (!inTray_) return;
    ShowWindow(SW_SHOW);
    setShowState(kShowNormal);
    if (wasMaximized_) setShowState(kShowMaximized);
    wasMaximized_ = false;
    inTray_ = false;
}

void BaseDlg::addTrayIcon() {
    NOTIFYICONDATA data;
    data.hWnd = GetSafeHwnd();
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.iconResource = kTrayIconResource;
    data.szTip = kTrayTip;
    Shell_NotifyIcon(NIM_ADD, data);
}

void BaseDlg::removeTrayIcon() {
    NOTIFYICONDATA data;
    data.hWnd = GetSafeHwnd();
    data.uID = kTrayIconId;
    Shell_NotifyIcon(NIM_DELETE, data);
    inTray_ = false;
}

void BaseDlg::showAndActivate() {
    ShowWindow(SW_SHOW);
    ShowWindow(SW_SHOWNORMAL);
    SetForegroundWindow();
    SetFocus();
}

bool BaseDlg::applySizeCursor() {
    if (isMaximized() || !resizable_ || size_zone::cursorOf(sizeZone_) == 0) return false;
    setSizeCursor(sizeZone_);
    return true;
}

void BaseDlg::updateSizeZone(const MSG& mouseMessage) {
    if (isMaximized() || !resizable_) return;
    const auto x = LOWORD(static_cast<std::uintptr_t>(mouseMessage.lParam));
    const auto y = HIWORD(static_cast<std::uintptr_t>(mouseMessage.lParam));
    sizeZone_ = size_zone::classify(GetClientRect(), x, y);
    applySizeCursor();
}

void BaseDlg::setSizeCursor(int zone) { setCursorById(size_zone::cursorOf(zone)); }

void BaseDlg::setCursorById(int cursorId) {
    if (HCURSOR cursor = LoadCursor(cursorId)) SetCursor(cursor);
}

void BaseDlg::startSizing(int zone) {
    if (!resizable_) return;
    applySizeCursor();
    ReleaseCapture();
    SendMessage(WM_SYSCOMMAND, size_zone::sizingCommandOf(zone), 0);
}

void BaseDlg::fadeIn(HWND hwnd) {
    for (int alpha = 1; alpha < 255; alpha += 10) {
        setLayeredAlpha(hwnd, static_cast<std::uint8_t>(alpha));
        sleepFor(std::chrono::milliseconds(10));
    }
    setLayeredAlpha(hwnd, 255);
}

void BaseDlg::fadeOut(HWND hwnd) {
    for (int alpha = 255; alpha > 0; alpha -= 10) {
        setLayeredAlpha(hwnd, static_cast<std::uint8_t>(alpha));
        sleepFor(std::chrono::milliseconds(10));
    }
    setLayeredAlpha(hwnd, 0);
}

void BaseDlg::toggleLights(HWND hwnd) {
    consoleLog("关灯/开灯");
    if (lightsOff_)
        fadeOut(hwnd);
    else
        fadeIn(hwnd);
    lightsOff_ = !lightsOff_;
}

void BaseDlg::setTopMost() {
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    topmost_ = true;
    onTopMostChanged(true);
}

void BaseDlg::clearTopMost() {
    if (inTray_ && variant_ == Variant::Player) return;
    const RECT rect = GetWindowRect();
    SetWindowPos(HWND_NOTOPMOST, rect.left, rect.top, rect.width(), rect.height(), SWP_SHOWWINDOW);
    topmost_ = false;
    onTopMostChanged(false);
}

void BaseDlg::trackMenu(Menu* menu) {
    if (menu == nullptr) return;
    const POINT at = GetCursorPos();
    menu->TrackPopupMenu(TPM_LEFTALIGN, at.x, at.y, this);
}

void BaseDlg::showContextMenu() { trackMenu(contextMenu_); }

void BaseDlg::showTrayMenu() { trackMenu(trayMenu_); }

bool BaseDlg::registerHotKey(const std::string& keys) {
    consoleLogf("BaseDlg::registerHotKey.keys:%s", keys);
    const HotKeyText parsed = parseHotKeyText(keys);
    consoleLogf("ckey:%d", static_cast<std::int32_t>(parsed.modifiers));
    consoleLogf("key:%d", static_cast<std::int32_t>(parsed.key));
    if (parsed.key == 0) return false;
    return registerHotKey(parsed.modifiers, parsed.key);
}

bool BaseDlg::registerHotKey(UINT modifiers, UINT key) {
    if (RegisterHotKey(GetSafeHwnd(), kHotKeyId, modifiers, key)) {
        hotKey_ = key;
        return true;
    }
    consoleLog("注册热键失败!");
    return false;
}

bool BaseDlg::unregisterHotKey() {
    UnregisterHotKey(GetSafeHwnd(), kHotKeyId);
    hotKey_ = 0;
    return true;
}
