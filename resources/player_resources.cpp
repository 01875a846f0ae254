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

// The loading window: a borderless pop-up that sizes itself at initialisation.
constexpr DWORD kLoadingStyle = WS_POPUP | DS_SETFONT;

constexpr DialogTemplate kDialogs[] = {
    {IDD_CONSOLE, kConsoleStyle, 0, 0, 0, 444, 206, "消息控件台", "System", 10, kConsoleItems},
    {IDD_LOADING, kLoadingStyle, 0, 0, 0, 146, 51, "", "宋体", 9, {}},
};

}  // namespace

const ResourceTable& playerResources() {
    static const ResourceTable table{kDialogs};
    return table;
}

}  // namespace resources
