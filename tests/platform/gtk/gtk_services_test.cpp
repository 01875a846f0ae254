// Global hot keys pressed through the X server, popup menus chosen with the mouse, and
// notification-area icons on a display without a tray.
#include <future>

#include "platform/menu.h"
#include "platform/messages.h"
#include "platform/shell_services.h"
#include "tests/support/gtk/gtk_probe.h"
#include "tests/support/gtk/gtk_test_support.h"
#include "tests/support/gtk/gtk_tray_host.h"

namespace gtk_test {
namespace {

constexpr UINT kCtrlAlt = MOD_CONTROL | MOD_ALT;

class GtkHotKey : public GtkBackendTest {
  protected:
    void SetUp() override {
        GtkBackendTest::SetUp();
        showWindow(window, "hot keys", WS_POPUP, RECT{0, 0, 100, 100});
    }
    void TearDown() override {
        UnregisterHotKey(window.GetSafeHwnd(), 7);
        UnregisterHotKey(window.GetSafeHwnd(), 8);
    }
    RecordingWindow window;
};

TEST_F(GtkHotKey, PressesThroughTheXServerArriveAsWmHotKeyWhateverTheLocks) {
    ASSERT_TRUE(RegisterHotKey(window.GetSafeHwnd(), 7, kCtrlAlt, 'Q'));
    ASSERT_TRUE(RegisterHotKey(window.GetSafeHwnd(), 8, MOD_SHIFT, VK_F1 + 4));
    runWhilePumping(
        "xdotool key ctrl+alt+q q Num_Lock ctrl+alt+q Num_Lock Caps_Lock shift+F5 "
        "Caps_Lock");
    ASSERT_TRUE(pumpUntil([&] { return window.received({WM_HOTKEY}).size() == 3; }));
    const auto keys = window.received({WM_HOTKEY});
    EXPECT_EQ(keys[0].wParam, 7u);
    EXPECT_EQ(keys[0].lParam, MAKELPARAM(kCtrlAlt, 'Q'));
    EXPECT_EQ(keys[1].lParam, keys[0].lParam) << "with Num Lock on";
    EXPECT_EQ(keys[2].wParam, 8u);
    EXPECT_EQ(keys[2].lParam, MAKELPARAM(MOD_SHIFT, VK_F1 + 4u)) << "with Caps Lock on";
    pumpUntil([] { return false; }, 100ms);
    EXPECT_EQ(window.received({WM_HOTKEY}).size(), 3u) << "a plain q is no hot key";
}

TEST_F(GtkHotKey, CombinationHeldByAnotherClientCannotBeRegistered) {
    gtk_probe::ForeignKeyGrab other(kCtrlAlt, 'W');
    ASSERT_TRUE(other.held());
    EXPECT_FALSE(RegisterHotKey(window.GetSafeHwnd(), 7, kCtrlAlt, 'W'));
    EXPECT_TRUE(RegisterHotKey(window.GetSafeHwnd(), 7, kCtrlAlt, 'E')) << "another key is free";
}

TEST_F(GtkHotKey, RegisteredCombinationIsHeldAgainstOthersUntilUnregistered) {
    ASSERT_TRUE(RegisterHotKey(window.GetSafeHwnd(), 7, kCtrlAlt, 'R'));
    EXPECT_FALSE(gtk_probe::ForeignKeyGrab(kCtrlAlt, 'R').held());
    ASSERT_TRUE(UnregisterHotKey(window.GetSafeHwnd(), 7));
    EXPECT_TRUE(gtk_probe::ForeignKeyGrab(kCtrlAlt, 'R').held());
}

TEST_F(GtkHotKey, UnregisteringAnIdLetsGoOfEveryCombinationRegisteredUnderIt) {
    ASSERT_TRUE(RegisterHotKey(window.GetSafeHwnd(), 7, kCtrlAlt, 'R'));
    ASSERT_TRUE(RegisterHotKey(window.GetSafeHwnd(), 7, kCtrlAlt, 'T'));
    ASSERT_TRUE(UnregisterHotKey(window.GetSafeHwnd(), 7));
    EXPECT_TRUE(gtk_probe::ForeignKeyGrab(kCtrlAlt, 'R').held());
    EXPECT_TRUE(gtk_probe::ForeignKeyGrab(kCtrlAlt, 'T').held());
    runWhilePumping("xdotool key ctrl+alt+t");
    pumpUntil([] { return false; }, 100ms);
    EXPECT_TRUE(window.received({WM_HOTKEY}).empty());
}

class GtkPopupMenu : public GtkBackendTest {
  protected:
    // Runs `act` with the menu on screen, from inside the menu's own loop.
    UINT track(const std::function<void(const gtk_probe::PopupMenuView&)>& act) {
        static constexpr MenuItemTemplate kInner[] = {{1005, "Inner", 0}};
        static constexpr MenuItemTemplate kItems[] = {{1001, "&Show", 0},
                                                      {0, "", MF_SEPARATOR},
                                                      {1002, "Grayed", MF_GRAYED},
                                                      {1003, "显示 checked", MF_CHECKED},
                                                      {0, "More", MF_POPUP, kInner}};
        menu.LoadMenu(MenuTemplate{1, kItems});
        ThreadQueue::current().postTask(
            50, [&] { act(gtk_probe::popupMenu()); }, this);
        return menu.TrackPopupMenu(TPM_LEFTALIGN, 300, 200, &owner);
    }
    // xdotool in the background: the menu's loop must keep running meanwhile.
    void xdotool(const std::string& arguments) {
        pending = std::async(std::launch::async,
                             [arguments] { return std::system(("xdotool " + arguments).c_str()); });
    }
    static std::string centre(const RECT& r) {
        return std::to_string((r.left + r.right) / 2) + " " +
               std::to_string((r.top + r.bottom) / 2);
    }

    RecordingWindow owner;
    Menu menu;
    std::future<int> pending;
};

TEST_F(GtkPopupMenu, ItemClickedWithTheMouseIsPostedAsWmCommand) {
    showWindow(owner, "owner", WS_POPUP, RECT{0, 0, 100, 100});
    gtk_probe::PopupMenuView seen;
    EXPECT_EQ(track([&](const gtk_probe::PopupMenuView& view) {
                  seen = view;
                  // GTK ignores a release within half a second of the menu opening.
                  xdotool("sleep 0.55 mousemove " + centre(view.items.at(3)) + " click 1");
              }),
              1u);
    EXPECT_EQ(seen.window.left, 300);
    EXPECT_EQ(seen.window.top, 200);
    EXPECT_EQ(seen.items.size(), 5u);
    ASSERT_TRUE(pumpUntil([&] { return !owner.received({WM_COMMAND}).empty(); }));
    EXPECT_EQ(owner.received({WM_COMMAND}).at(0).wParam, 1003u);
}

TEST_F(GtkPopupMenu, GrayedItemsDoNothingAndEscapeDismissesTheMenu) {
    showWindow(owner, "owner", WS_POPUP, RECT{0, 0, 100, 100});
    EXPECT_EQ(track([&](const gtk_probe::PopupMenuView& view) {
                  xdotool("sleep 0.55 mousemove " + centre(view.items.at(2)) +
                          " click 1 sleep 0.1 key Escape");
              }),
              0u);
    pumpUntil([] { return false; }, 100ms);
    EXPECT_TRUE(owner.received({WM_COMMAND}).empty());
}

class GtkCursor : public GtkBackendTest {};

TEST_F(GtkCursor, SystemCursorsShowOverTheWindowUnderThePointerUntilAnotherIsSet) {
    RecordingWindow window;
    showWindow(window, "cursor", WS_POPUP, RECT{100, 100, 300, 300});
    runWhilePumping("xdotool mousemove 150 150");
    for (auto [id, name] : {std::pair{IDC_SIZEWE, "ew-resize"},
                            {IDC_SIZENWSE, "nwse-resize"},
                            {IDC_HAND, "pointer"},
                            {IDC_ARROW, "default"}}) {
        SetCursor(LoadCursor(id));
        EXPECT_TRUE(pumpUntil([&] { return gtk_probe::shownCursor() == name; }))
            << name << " is not shown but " << gtk_probe::shownCursor();
    }
    SetCursor(LoadCursor(IDC_SIZENS));
    runWhilePumping("xdotool mousemove 250 250");
    EXPECT_TRUE(pumpUntil([&] { return gtk_probe::shownCursor() == "ns-resize"; }));
}

class GtkTrayIcon : public GtkBackendTest {
  protected:
    NOTIFYICONDATA iconOf(RecordingWindow& owner) {
        showWindow(owner, "tray", WS_POPUP, RECT{0, 0, 100, 100});
        NOTIFYICONDATA data;
        data.hWnd = owner.GetSafeHwnd();
        data.uID = 100;
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = WM_APP + 5;
        data.iconResource = 128;
        data.szTip = "Vexa视讯PC客户端";
        return data;
    }
    RecordingWindow window;
};

TEST_F(GtkTrayIcon, IconsAreKeptPerWindowAndIdButNotShownWithoutATray) {
    NOTIFYICONDATA data = iconOf(window);
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, data));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, data)) << "the same window and ID twice";
    auto icon = gtk_probe::trayIcon(data.hWnd, 100);
    EXPECT_TRUE(icon.exists);
    EXPECT_EQ(icon.tip, "Vexa视讯PC客户端");
    EXPECT_FALSE(icon.embedded) << "a bare X server has no tray to show it in";
    data.szTip = "新的提示";
    EXPECT_TRUE(Shell_NotifyIcon(NIM_MODIFY, data));
    EXPECT_EQ(gtk_probe::trayIcon(data.hWnd, 100).tip, "新的提示");
    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, data));
    EXPECT_FALSE(gtk_probe::trayIcon(data.hWnd, 100).exists);
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, data));
}

TEST_F(GtkTrayIcon, ClicksOnTheIconInATrayArriveAsItsCallbackMessage) {
    gtk_probe::TrayHost tray;
    const NOTIFYICONDATA data = iconOf(window);
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, data));
    // Embedded first at 1 x 1; clicks must wait for the tray's size allocation.
    ASSERT_TRUE(pumpUntil([&] {
        const auto icon = gtk_probe::trayIcon(data.hWnd, 100);
        return icon.embedded && icon.area.right - icon.area.left >= 16;
    }));
    const RECT area = gtk_probe::trayIcon(data.hWnd, 100).area;
    // A single click on the icon's left, a double click on its right: the spots lie farther
    // apart than a double click may move, so only the pair's timing decides, and it may not fail.
    const PatientDoubleClick patient;
    const std::string y = std::to_string((area.top + area.bottom) / 2);
    runWhilePumping("xdotool mousemove " + std::to_string(area.left + 3) + " " + y +
                    " click 1 mousemove " + std::to_string(area.right - 4) + " " + y +
                    " click --repeat 2 --delay 30 1 click 3");
    ASSERT_TRUE(pumpUntil([&] { return window.received({WM_APP + 5}).size() == 8; }));
    std::vector<LPARAM> mouse;
    for (const MSG& msg : window.received({WM_APP + 5})) {
        EXPECT_EQ(msg.wParam, 100u);
        mouse.push_back(msg.lParam);
    }
    EXPECT_EQ(mouse,
              (std::vector<LPARAM>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP,
                                   WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}));
}

}  // namespace
}  // namespace gtk_test
