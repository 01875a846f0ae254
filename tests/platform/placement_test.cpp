#include "platform/menu.h"
#include "platform/messages.h"
#include "platform/shell_services.h"
#include "platform/window.h"
#include "tests/support/headless_fixture.h"

using namespace platform;
using test_support::pumpUntil;

namespace {

// Records posted input and starts a move or sizing loop on a left-button press when asked.
class InputWindow : public Window {
  public:
    std::vector<MSG> got;
    WPARAM loopOnPress = 0;  // 0: none; HTCAPTION: move; SC_SIZE + edge: size
    POINT minimum{1, 1};

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        got.push_back(MSG{GetSafeHwnd(), message, wParam, lParam});
        if (message == WM_GETMINMAXINFO)
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = minimum;
        if (message == WM_LBUTTONDOWN && loopOnPress == HTCAPTION)
            SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, lParam);
        else if (message == WM_LBUTTONDOWN && loopOnPress != 0)
            SendMessage(WM_SYSCOMMAND, loopOnPress, 0);
        return Window::WindowProc(message, wParam, lParam);
    }
    const MSG* find(UINT message) const {
        for (const auto& m : got)
            if (m.message == message) return &m;
        return nullptr;
    }
};

class PlacementTest : public test_support::HeadlessTest {
  protected:
    void script(const std::string& text) { test_support::installScriptedBackend(dir, text); }
    void create(InputWindow& window, RECT rect, DWORD style = WS_POPUP | WS_VISIBLE) {
        ASSERT_TRUE(window.CreateEx(0, "T", "", style, rect, nullptr, 0));
    }
    test_support::TempDir dir;
};

TEST_F(PlacementTest, MaximisingFillsTheWorkAreaAndRestoringBringsBackTheNormalRectangle) {
    script("");
    InputWindow window;
    create(window, RECT{480, 243, 1440, 837});
    window.ShowWindow(SW_SHOWMAXIMIZED);
    EXPECT_EQ(window.GetWindowRect(), (RECT{0, 0, 1920, 1040}));
    EXPECT_EQ(window.GetWindowPlacement().showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_EQ(window.GetWindowPlacement().rcNormalPosition, (RECT{480, 243, 1440, 837}));
    window.ShowWindow(SW_MINIMIZE);
    window.ShowWindow(SW_RESTORE);
    EXPECT_EQ(window.GetWindowPlacement().showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED))
        << "a minimised window that was maximised restores to maximised";
    window.ShowWindow(SW_SHOWNORMAL);
    EXPECT_EQ(window.GetWindowRect(), (RECT{480, 243, 1440, 837}));
}

TEST_F(PlacementTest, SetWindowPosChangesStackingWithoutMovingWhenAsked) {
    script("");
    InputWindow window;
    create(window, RECT{10, 10, 110, 110});
    window.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(window.IsTopMost());
    EXPECT_EQ(window.GetWindowRect(), (RECT{10, 10, 110, 110}));
    window.SetWindowPos(HWND_NOTOPMOST, 20, 30, 50, 60, SWP_SHOWWINDOW);
    EXPECT_FALSE(window.IsTopMost());
    EXPECT_EQ(window.GetWindowRect(), (RECT{20, 30, 70, 90}));
    EXPECT_EQ(Window::GetForegroundWindow(), &window);
}

TEST_F(PlacementTest, RoundedRegionsCutTheCornersOnly) {
    const Region round{RECT{0, 0, 960, 594}, 20, 20};
    EXPECT_FALSE(round.contains(0, 0));
    EXPECT_FALSE(round.contains(959, 593));
    EXPECT_TRUE(round.contains(5, 5));
    EXPECT_TRUE(round.contains(480, 0));
    EXPECT_TRUE(round.contains(0, 300));
    EXPECT_FALSE(round.contains(960, 300)) << "the right edge is excluded";
    const Region square{RECT{0, 0, 961, 595}, 0, 0};
    EXPECT_TRUE(square.contains(0, 0));
    EXPECT_TRUE(square.contains(960, 594));
}

TEST_F(PlacementTest, LayeredAlphaNeedsTheLayeredStyle) {
    script("");
    InputWindow window;
    create(window, RECT{0, 0, 10, 10});
    EXPECT_FALSE(window.SetLayeredWindowAttributes(0, 0, LWA_ALPHA));
    window.SetWindowLong(GWL_EXSTYLE, static_cast<LONG>(window.GetExStyle() | WS_EX_LAYERED));
    EXPECT_TRUE(window.SetLayeredWindowAttributes(0, 128, LWA_ALPHA));
    EXPECT_EQ(window.GetLayeredAlpha(), 128);
}

TEST_F(PlacementTest, TheMoveLoopFollowsTheScriptedMouseUntilTheButtonIsReleased) {
    script(
        "mouse down 150 110\nafter 5 mouse move 170 130\nafter 5 mouse move 250 160\n"
        "after 5 mouse up 250 160\n");
    InputWindow window;
    window.loopOnPress = HTCAPTION;
    create(window, RECT{100, 100, 500, 400});
    ASSERT_TRUE(pumpUntil([&] { return window.find(WM_EXITSIZEMOVE) != nullptr; }));
    EXPECT_EQ(window.GetWindowRect(), (RECT{200, 150, 600, 450}));
    const MSG* press = window.find(WM_LBUTTONDOWN);
    ASSERT_NE(press, nullptr);
    EXPECT_EQ(press->lParam, MAKELPARAM(50, 10)) << "client coordinates";
}

TEST_F(PlacementTest, TheSizingLoopKeepsTheMinimumTrackingSize) {
    script("mouse down 498 398\nafter 5 mouse move 300 300\nafter 5 mouse up 300 300\n");
    InputWindow window;
    window.loopOnPress = SC_SIZE + WMSZ_BOTTOMRIGHT;
    window.minimum = POINT{350, 200};
    create(window, RECT{100, 100, 500, 400});
    ASSERT_TRUE(pumpUntil([&] { return window.find(WM_EXITSIZEMOVE) != nullptr; }));
    EXPECT_EQ(window.GetWindowRect(), (RECT{100, 100, 450, 302}));
}

TEST_F(PlacementTest, MouseInputGoesToTheTopmostWindowUnderThePointInClientCoordinates) {
    script("mouse down 120 130\nmouse up 120 130\n");
    InputWindow below, above, child;
    create(below, RECT{0, 0, 400, 400});
    create(above, RECT{100, 100, 300, 300}, WS_POPUP | WS_VISIBLE | WS_CAPTION);
    ASSERT_TRUE(child.CreateEx(0, "C", "", WS_CHILD | WS_VISIBLE, RECT{5, 0, 50, 50}, &above, 1));
    below.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    below.SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_TRUE(pumpUntil([&] { return child.find(WM_LBUTTONUP) != nullptr; }));
    // The caption window's client area starts at (103, 126); the child sits 5 pixels in.
    EXPECT_EQ(child.find(WM_LBUTTONDOWN)->lParam, MAKELPARAM(12, 4));
    EXPECT_EQ(below.find(WM_LBUTTONDOWN), nullptr);
}

TEST_F(PlacementTest, TheWindowWithTheCaptureGetsTheMouseWhereverItIs) {
    script("mouse down 120 130\n");
    InputWindow below, captor;
    create(below, RECT{0, 0, 400, 400});
    create(captor, RECT{500, 100, 700, 300}, WS_POPUP | WS_VISIBLE | WS_CAPTION);
    captor.SetCapture();
    ASSERT_TRUE(pumpUntil([&] { return captor.find(WM_LBUTTONDOWN) != nullptr; }));
    // Client coordinates, left of the captor's client area at (503, 126).
    EXPECT_EQ(captor.find(WM_LBUTTONDOWN)->lParam,
              MAKELPARAM(static_cast<std::uint16_t>(120 - 503), 4));
    EXPECT_EQ(below.find(WM_LBUTTONDOWN), nullptr);
}

// A key typed while `front` is the foreground window and `focused`, another top-level window,
// has the keyboard focus.
class KeyRoutingTest : public PlacementTest {
  protected:
    void SetUp() override {
        PlacementTest::SetUp();
        script("key 65\n");
        create(front, RECT{0, 0, 100, 100});
        create(focused, RECT{200, 0, 300, 100});
        front.SetForegroundWindow();
        focused.SetFocus();
    }
    InputWindow front, focused;
};

TEST_F(KeyRoutingTest, KeysGoToTheFocusWindowBeforeTheForegroundWindow) {
    ASSERT_TRUE(pumpUntil([&] { return focused.find(WM_KEYUP) != nullptr; }));
    EXPECT_EQ(focused.find(WM_KEYDOWN)->wParam, 65u);
    EXPECT_EQ(front.find(WM_KEYDOWN), nullptr);
}

TEST_F(KeyRoutingTest, KeysGoToTheForegroundWindowOnceTheFocusWindowIsGone) {
    focused.DestroyWindow();
    ASSERT_TRUE(pumpUntil([&] { return front.find(WM_KEYUP) != nullptr; }));
    EXPECT_EQ(front.find(WM_KEYDOWN)->wParam, 65u);
}

TEST_F(PlacementTest, HotKeysTrayIconsMenusAndKeysArriveAsTheirMessages) {
    script("hotkey-taken 3 82\nmenu 32771\nhotkey 3 81\ntray WM_LBUTTONDBLCLK\nkey 13\n");
    InputWindow window;
    create(window, RECT{0, 0, 100, 100});
    window.SetFocus();
    EXPECT_TRUE(RegisterHotKey(window.GetSafeHwnd(), 0xA002, 3, 81));
    EXPECT_FALSE(RegisterHotKey(window.GetSafeHwnd(), 0xA003, 3, 81)) << "already registered";
    EXPECT_FALSE(RegisterHotKey(window.GetSafeHwnd(), 0xA004, 3, 82)) << "held by another client";
    NOTIFYICONDATA icon;
    icon.hWnd = window.GetSafeHwnd();
    icon.uID = 100;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = 0x078D;
    EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, icon));
    ASSERT_TRUE(pumpUntil([&] { return window.find(WM_KEYDOWN) != nullptr; }));
    EXPECT_EQ(window.find(WM_HOTKEY)->wParam, 0xA002u);
    EXPECT_EQ(window.find(WM_HOTKEY)->lParam, MAKELPARAM(3, 81));
    EXPECT_EQ(window.find(0x078D)->wParam, 100u);
    EXPECT_EQ(window.find(0x078D)->lParam, static_cast<LPARAM>(WM_LBUTTONDBLCLK));
    EXPECT_EQ(window.find(WM_KEYDOWN)->wParam, 13u);

    Menu menu;
    static constexpr MenuItemTemplate kItems[] = {{32771, "显示", 0}, {0, "", MF_SEPARATOR}};
    menu.LoadMenu(MenuTemplate{130, kItems});
    EXPECT_EQ(menu.TrackPopupMenu(TPM_LEFTALIGN, 5, 5, &window), 1u);
    EXPECT_EQ(menu.TrackPopupMenu(TPM_LEFTALIGN, 5, 5, &window), 0u) << "dismissed";
    ASSERT_TRUE(pumpUntil([&] { return window.find(WM_COMMAND) != nullptr; }));
    EXPECT_EQ(window.find(WM_COMMAND)->wParam, 32771u);
    EXPECT_TRUE(UnregisterHotKey(window.GetSafeHwnd(), 0xA002));
    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, icon));
}

}  // namespace
