// System services a window asks for: global hot keys, the notification-area icon and the
// mouse cursor, with the meaning RegisterHotKey, Shell_NotifyIcon and SetCursor give them.
#pragma once

#include <string>

#include "platform/os/win32.h"

namespace platform {

// RegisterHotKey: one registration per (window, id) and per key combination. A press is
// posted to the window as WM_HOTKEY (wParam id, lParam MAKELPARAM(modifiers, key)). False when
// the combination is taken, here or by another program, or when the modifiers hold bits other
// than MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN or the key code is not 1 to 0xFE.
bool RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT virtualKey);
bool UnregisterHotKey(HWND hwnd, int id);

constexpr DWORD NIM_ADD = 0;
constexpr DWORD NIM_MODIFY = 1;
constexpr DWORD NIM_DELETE = 2;
constexpr UINT NIF_MESSAGE = 0x1;
constexpr UINT NIF_ICON = 0x2;
constexpr UINT NIF_TIP = 0x4;

struct NOTIFYICONDATA {
    DWORD cbSize = 88;
    HWND hWnd = nullptr;
    UINT uID = 0;
    UINT uFlags = 0;
    UINT uCallbackMessage = 0;
    UINT iconResource = 0;  // the program's icon resource
    std::string szTip;
};

// Shell_NotifyIcon: mouse events on the icon are posted to hWnd as uCallbackMessage with
// wParam = uID and lParam = the mouse message (WM_LBUTTONDOWN, WM_RBUTTONUP, ...).
bool Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data);

// LoadCursor(nullptr, IDC_*) and SetCursor. A cursor handle is its system cursor number.
using HCURSOR = int;
HCURSOR LoadCursor(int systemCursorId);
HCURSOR SetCursor(HCURSOR cursor);
POINT GetCursorPos();

}  // namespace platform
