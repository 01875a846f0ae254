#include "resources/launcher_resources.h"

#include "common/console_ids.h"

namespace resources {

using namespace platform;

namespace {

constexpr DWORD kConsoleStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kConsoleListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                                    WS_TABSTOP | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT |
                                    LBS_DISABLENOSCROLL;

constexpr DialogItemTemplate kConsoleItems[] = {
    {ControlClass::ListBox, console::IDC_CONSOLE_LIST, 0, 0, 294, 202, kConsoleListStyle},
};

// The splash sizes itself at initialisation; the template's size is replaced.
constexpr DWORD kSplashStyle = WS_POPUP | WS_VISIBLE | DS_SETFONT;

constexpr DialogTemplate kDialogs[] = {
    {console::IDD_CONSOLE, kConsoleStyle, 0, 0, 0, 294, 203, "对话", "System", 10, kConsoleItems},
    {IDD_SPLASH, kSplashStyle, WS_EX_APPWINDOW, 0, 0, 335, 147, "", "宋体", 9, {}},
};

constexpr StringResource kStrings[] = {
    {IDS_SOCKETS_INIT_FAILED, "Windows 通信端口初始化失败。"},
};

}  // namespace

const ResourceTable& launcherResources() {
    static const ResourceTable table{kDialogs, {}, kStrings};
    return table;
}

}  // namespace resources
