#include "platform/shell_services.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/backend.h"

namespace platform {

namespace {

struct HotKey {
    HWND hwnd;
    int id;
    UINT modifiers;
    UINT key;
};

struct HotKeyTable {
    std::mutex mutex;
    std::vector<HotKey> keys;
};

HotKeyTable& hotKeys() {
    static HotKeyTable table;
    return table;
}

constexpr int kKnownCursors[] = {IDC_ARROW,  IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE,
                                 IDC_SIZENS, IDC_SIZEALL,  IDC_HAND};
HCURSOR g_cursor = IDC_ARROW;

}  // namespace

bool RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT virtualKey) {
    // Only the four modifier keys and the one-byte key codes make combinations: any other value
    // would count as a combination of its own, and registrations could grow without end.
    constexpr UINT kModifierKeys = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;
    if ((modifiers & ~kModifierKeys) != 0 || virtualKey == 0 || virtualKey > 0xFE) return false;
    auto& table = hotKeys();
    std::lock_guard lock(table.mutex);
    const bool taken = std::any_of(table.keys.begin(), table.keys.end(), [&](const HotKey& k) {
        return k.modifiers == modifiers && k.key == virtualKey;
    });
    if (taken || !backend().registerHotKey(hwnd, id, modifiers, virtualKey)) return false;
    table.keys.push_back(HotKey{hwnd, id, modifiers, virtualKey});
    return true;
}

bool UnregisterHotKey(HWND hwnd, int id) {
    auto& table = hotKeys();
    std::lock_guard lock(table.mutex);
    const auto before = table.keys.size();
    std::erase_if(table.keys, [&](const HotKey& k) { return k.hwnd == hwnd && k.id == id; });
    if (table.keys.size() == before) return false;
    backend().unregisterHotKey(hwnd, id);
    return true;
}

bool Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) {
    switch (message) {
        case NIM_ADD:
            return backend().addTrayIcon(data);
        case NIM_MODIFY:
            backend().removeTrayIcon(data.hWnd, data.uID);
            return backend().addTrayIcon(data);
        case NIM_DELETE:
            return backend().removeTrayIcon(data.hWnd, data.uID);
        default:
            return false;
    }
}

HCURSOR LoadCursor(int systemCursorId) {
    const auto* end = std::end(kKnownCursors);
    return std::find(std::begin(kKnownCursors), end, systemCursorId) != end ? systemCursorId : 0;
}

HCURSOR SetCursor(HCURSOR cursor) {
    const HCURSOR previous = g_cursor;
    if (cursor == 0 || cursor == previous) return previous;
    g_cursor = cursor;
    backend().setCursor(cursor);
    return previous;
}

POINT GetCursorPos() { return backend().cursorPos(); }

}  // namespace platform
