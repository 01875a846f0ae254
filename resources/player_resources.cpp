#include "resources/player_resources.h"

namespace resources {

using namespace platform;

namespace {

constexpr DWORD kConsoleStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
// The player's list box scrolls only when it has to (no LBS_DISABLENOSCROLL).
constexpr DWORD kConsoleListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                                    WS_TABSTOP | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT;

constexpr DialogItemTemplate kConsoleItems[] = {
    {ControlClass::ListBox, IDC_CONSOLE_LIST, 0, 1, 444, 204, kConsoleListStyle},
};

constexpr DialogTemplate kDialogs[] = {
    {IDD_CONSOLE, kConsoleStyle, 0, 0, 0, 444, 206, "消息控件台", "System", 10, kConsoleItems},
};

}  // namespace

const ResourceTable& playerResources() {
    static const ResourceTable table{kDialogs};
    return table;
}

}  // namespace resources
