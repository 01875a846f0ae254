#include "resources/player_resources.h"

#include "common/console_ids.h"

namespace resources {

using namespace platform;

namespace {

constexpr DWORD kConsoleStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
// The player's list box scrolls only when it has to (no LBS_DISABLENOSCROLL).
constexpr DWORD kConsoleListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                                    WS_TABSTOP | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT;

constexpr DialogItemTemplate kConsoleItems[] = {
    {ControlClass::ListBox, console::IDC_CONSOLE_LIST, 0, 1, 444, 204, kConsoleListStyle},
};

// The movie windows are borderless pop-ups that size themselves at initialisation.
constexpr DWORD kPopupStyle = WS_POPUP | DS_SETFONT;

constexpr DialogTemplate kDialogs[] = {
    {console::IDD_CONSOLE, kConsoleStyle, 0, 0, 0, 444, 206, "消息控件台", "System", 10,
     kConsoleItems},
    {IDD_MAIN, kPopupStyle, WS_EX_APPWINDOW, 0, 0, 480, 297, "", "宋体", 9, {}},
    {IDD_PREVIEW, kPopupStyle, 0, 0, 0, 180, 102, "", "宋体", 9, {}},
    {IDD_LOADING, kPopupStyle, 0, 0, 0, 146, 51, "", "宋体", 9, {}},
    {IDD_BACKDROP, kPopupStyle, 0, 0, 0, 320, 200, "", "宋体", 9, {}},
};

constexpr MenuItemTemplate kMainMenuItems[] = {{ID_CLOSE, "退出", 0}};
constexpr MenuItemTemplate kPlayMenuItems[] = {{ID_CLOSE, "关闭", 0}};
constexpr MenuItemTemplate kPreviewMenuItems[] = {{ID_PREVIEW_CLOSE, "关闭", 0}};

constexpr MenuItemTemplate kMainMenu[] = {{0, "主窗体右键菜单", MF_POPUP, kMainMenuItems}};
constexpr MenuItemTemplate kPlayMenu[] = {{0, "播放窗体右键菜单", MF_POPUP, kPlayMenuItems}};
constexpr MenuItemTemplate kPreviewMenu[] = {{0, "预览窗口右键菜单", MF_POPUP, kPreviewMenuItems}};

constexpr MenuTemplate kMenus[] = {
    {IDR_MAIN_MENU, kMainMenu},
    {IDR_PLAY_MENU, kPlayMenu},
    {IDR_PREVIEW_MENU, kPreviewMenu},
    {IDR_TRAY_MENU, kMainMenu},
};

}  // namespace

const ResourceTable& playerResources() {
    static const ResourceTable table{kDialogs, kMenus};
    return table;
}

}  // namespace resources
