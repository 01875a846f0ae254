// Real pointer and keyboard input (xdotool through the X server's test extension) arriving as
// Win32 input messages.
#include "tests/support/gtk/gtk_probe.h"
#include "tests/support/gtk/gtk_test_support.h"

namespace gtk_test {
namespace {

std::vector<UINT> kinds(const std::vector<MSG>& messages) {
    std::vector<UINT> result;
    for (const MSG& msg : messages) result.push_back(msg.message);
    return result;
}

class GtkMouseInput : public GtkBackendTest {
  protected:
    void showWithChild(DWORD style, DWORD childStyle) {
        showWindow(window, "mouse", style, RECT{100, 100, 500, 400});
        ASSERT_TRUE(child.CreateEx(0, "Test", "", childStyle | WS_CHILD | WS_VISIBLE,
                                   RECT{200, 150, 350, 250}, &window, 7));
        ASSERT_TRUE(pumpUntil([&] { return gtk_probe::isOnScreen(*child.backendWindow()); }));
    }

    RecordingWindow window, child;
};

TEST_F(GtkMouseInput, ClicksGoToTheWindowUnderThePointerInItsClientCoordinates) {
    showWithChild(WS_POPUP, 0);
    runWhilePumping("xdotool mousemove 110 112 click 1 mousemove 305 257 click 3");
    ASSERT_TRUE(pumpUntil([&] { return !child.received({WM_RBUTTONUP}).empty(); }));
    const auto left = window.received({WM_LBUTTONDOWN, WM_LBUTTONUP});
    ASSERT_EQ(kinds(left), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_EQ(left[0].wParam, MK_LBUTTON);
    EXPECT_EQ(left[0].lParam, pointAt(10, 12));
    EXPECT_EQ(left[1].wParam, 0u) << "the button is up after WM_LBUTTONUP";
    const auto right = child.received({WM_RBUTTONDOWN, WM_RBUTTONUP});
    ASSERT_EQ(kinds(right), (std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONUP}));
    EXPECT_EQ(right[0].wParam, MK_RBUTTON);
    EXPECT_EQ(right[0].lParam, pointAt(5, 7));
    EXPECT_TRUE(window.received({WM_RBUTTONDOWN}).empty()) << "the child took the click";
}

TEST_F(GtkMouseInput, FramesAndBordersAreNotPartOfTheClientArea) {
    showWithChild(WS_POPUP | WS_CAPTION, WS_BORDER);
    const POINT origin = window.ClientOrigin();
    const RECT childRect = child.GetWindowRect();
    runWhilePumping("xdotool mousemove " + std::to_string(origin.x + 20) + " " +
                    std::to_string(origin.y + 30) + " click 1 mousemove " +
                    std::to_string(childRect.left + 1 + 4) + " " +
                    std::to_string(childRect.top + 1 + 6) + " click 1");
    ASSERT_TRUE(pumpUntil([&] { return !child.received({WM_LBUTTONUP}).empty(); }));
    EXPECT_EQ(window.received({WM_LBUTTONDOWN}).at(0).lParam, pointAt(20, 30));
    EXPECT_EQ(child.received({WM_LBUTTONDOWN}).at(0).lParam, pointAt(4, 6));
}

TEST_F(GtkMouseInput, SecondQuickPressIsADoubleClickAndAThirdStartsOver) {
    showWithChild(WS_POPUP, 0);
    const PatientDoubleClick patient;
    runWhilePumping("xdotool mousemove 150 150 click --repeat 3 --delay 30 1");
    ASSERT_TRUE(pumpUntil([&] { return window.received({WM_LBUTTONUP}).size() == 3; }));
    EXPECT_EQ(kinds(window.received({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK})),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                 WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

TEST_F(GtkMouseInput, MovesCarryThePositionAndTheButtonsHeld) {
    showWithChild(WS_POPUP, 0);
    runWhilePumping("xdotool mousemove 130 140 sleep 0.05 mousedown 1 mousemove 133 145 mouseup 1");
    ASSERT_TRUE(pumpUntil([&] { return !window.received({WM_LBUTTONUP}).empty(); }));
    const auto moves = window.received({WM_MOUSEMOVE});
    ASSERT_GE(moves.size(), 2u);
    EXPECT_EQ(moves.front().lParam, pointAt(30, 40));
    EXPECT_EQ(moves.front().wParam, 0u);
    EXPECT_EQ(moves.back().lParam, pointAt(33, 45));
    EXPECT_EQ(moves.back().wParam, MK_LBUTTON);
}

class GtkKeyInput : public GtkMouseInput {
  protected:
    void type(const std::string& keys) {
        runWhilePumping("xdotool windowfocus --sync " + xId(window) + " key --delay 5 " + keys);
    }
    static std::vector<WPARAM> keyCodes(const std::vector<MSG>& messages) {
        std::vector<WPARAM> codes;
        for (const MSG& msg : messages)
            if (msg.wParam != VK_SHIFT) codes.push_back(msg.wParam);
        return codes;
    }
};

TEST_F(GtkKeyInput, KeysArriveAsVirtualKeyCodes) {
    showWithChild(WS_POPUP, 0);
    type("a shift+b 1 Return Escape space Left Down F1 F12");
    const std::vector<WPARAM> expected{'A',      'B',     '1',     VK_RETURN, VK_ESCAPE,
                                       VK_SPACE, VK_LEFT, VK_DOWN, VK_F1,     VK_F12};
    ASSERT_TRUE(pumpUntil([&] { return keyCodes(window.received({WM_KEYUP})).size() == 10; }));
    EXPECT_EQ(keyCodes(window.received({WM_KEYDOWN})), expected);
    EXPECT_EQ(keyCodes(window.received({WM_KEYUP})), expected);
    const MSG up = window.received({WM_KEYUP}).front();
    EXPECT_NE(up.lParam & (LPARAM{1} << 31), 0) << "key-up transition bit";
    EXPECT_EQ(window.received({WM_KEYDOWN}).front().lParam & 0xFFFF, 1) << "repeat count";
}

TEST_F(GtkKeyInput, KeysGoToTheWindowWithTheFocus) {
    showWithChild(WS_POPUP, 0);
    child.SetFocus();
    type("Return");
    ASSERT_TRUE(pumpUntil([&] { return !child.received({WM_KEYUP}).empty(); }));
    EXPECT_EQ(child.received({WM_KEYDOWN}).at(0).wParam, VK_RETURN);
    EXPECT_TRUE(window.received({WM_KEYDOWN}).empty());
}

}  // namespace
}  // namespace gtk_test
