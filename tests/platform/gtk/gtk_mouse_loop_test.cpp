// The mouse capture and the move and sizing loops on an X server without a window manager:
// the portable loops follow the pointer that xdotool drags, through the pointer grab.
#include "tests/support/gtk/gtk_probe.h"
#include "tests/support/gtk/gtk_test_support.h"

namespace gtk_test {
namespace {

constexpr WPARAM HTCAPTION = 2;

// A borderless window that starts a system command when pressed, as the movie windows start
// moving when dragged anywhere and sizing at their edges.
class DraggedWindow : public RecordingWindow {
  public:
    explicit DraggedWindow(WPARAM command) : command_(command) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = RecordingWindow::WindowProc(message, wParam, lParam);
        if (message == WM_LBUTTONDOWN) SendMessage(WM_SYSCOMMAND, command_, 0);
        return result;
    }

  private:
    const WPARAM command_;
};

// Holds the button between steps so that the loop, which ends when it finds the button up,
// sees it held.
std::string drag(POINT from, std::initializer_list<POINT> path) {
    std::string command = "xdotool mousemove " + std::to_string(from.x) + " " +
                          std::to_string(from.y) + " mousedown 1 sleep 0.15";
    for (POINT p : path)
        command += " mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " sleep 0.05";
    return runWhilePumping(command + " mouseup 1");
}

class GtkMouseLoop : public GtkBackendTest {};

TEST_F(GtkMouseLoop, MoveLoopFollowsTheDraggedPointerAndEndsWithTheButton) {
    DraggedWindow window(SC_MOVE | HTCAPTION);
    showWindow(window, "moving", WS_POPUP, RECT{100, 100, 400, 300});
    drag(POINT{150, 150}, {POINT{200, 180}, POINT{260, 230}});
    ASSERT_TRUE(pumpUntil([&] { return !window.received({WM_EXITSIZEMOVE}).empty(); }));
    EXPECT_EQ(window.GetWindowRect(), (RECT{210, 180, 510, 380}));
    EXPECT_TRUE(pumpUntil([&] { return xGeometry(window).x == 210; }));
    EXPECT_EQ(xGeometry(window).y, 180);
    EXPECT_EQ(window.received({WM_ENTERSIZEMOVE}).size(), 1u);
    EXPECT_EQ(Window::GetCapture(), nullptr);
}

TEST_F(GtkMouseLoop, SizingLoopMovesTheDraggedEdgeEvenWhereThePointerLeavesTheWindow) {
    DraggedWindow window(SC_SIZE + WMSZ_BOTTOMRIGHT);
    showWindow(window, "sizing", WS_POPUP, RECT{100, 100, 400, 300});
    drag(POINT{398, 298}, {POINT{500, 420}, POINT{470, 350}});
    ASSERT_TRUE(pumpUntil([&] { return !window.received({WM_EXITSIZEMOVE}).empty(); }));
    EXPECT_EQ(window.GetWindowRect(), (RECT{100, 100, 472, 352}));
    EXPECT_TRUE(pumpUntil([&] { return xGeometry(window).width == 372; }));
    EXPECT_EQ(xGeometry(window).height, 252);
}

TEST_F(GtkMouseLoop, CapturedWindowGetsTheMouseEverywhereUntilReleased) {
    RecordingWindow holder, other;
    showWindow(holder, "holder", WS_POPUP, RECT{100, 100, 400, 300});
    showWindow(other, "other", WS_POPUP, RECT{500, 100, 700, 300});
    holder.SetCapture();
    runWhilePumping("xdotool mousemove 550 150 click 1 mousemove 900 700 click 3");
    ASSERT_TRUE(pumpUntil([&] { return !holder.received({WM_RBUTTONUP}).empty(); }));
    EXPECT_EQ(holder.received({WM_LBUTTONDOWN}).at(0).lParam, pointAt(450, 50)) << "over the other";
    EXPECT_EQ(holder.received({WM_RBUTTONDOWN}).at(0).lParam, pointAt(800, 600))
        << "off the windows";
    EXPECT_TRUE(other.received({WM_LBUTTONDOWN, WM_MOUSEMOVE}).empty());
    Window::ReleaseCapture();
    EXPECT_EQ(holder.received({WM_CAPTURECHANGED}).size(), 1u);
    runWhilePumping("xdotool mousemove 560 160 click 1");
    ASSERT_TRUE(pumpUntil([&] { return !other.received({WM_LBUTTONUP}).empty(); }));
    EXPECT_EQ(other.received({WM_LBUTTONDOWN}).at(0).lParam, pointAt(60, 60));
    EXPECT_EQ(holder.received({WM_LBUTTONDOWN}).size(), 1u);
}

}  // namespace
}  // namespace gtk_test
