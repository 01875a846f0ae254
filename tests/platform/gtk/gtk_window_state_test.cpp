// Shapes, show states, stacking, opacity, activation, capture and the move and sizing loops of
// the GTK backend, looked at on the X server. No window manager runs here.
#include "platform/shell_services.h"
#include "shell/base_dlg.h"
#include "shell/layered_window.h"
#include "tests/support/gtk/gtk_probe.h"
#include "tests/support/gtk/gtk_test_support.h"

namespace gtk_test {
namespace {

// A movie window: borderless, 960 x 594 pixels (480 x 297 dialog units), centred.
constexpr DialogTemplate kMovieWindow{
    1, WS_POPUP | WS_VISIBLE | DS_SETFONT, 0, 0, 0, 480, 297, "", "宋体", 9, {}};

bool shapeHas(const std::vector<RECT>& shape, int x, int y) {
    for (const RECT& r : shape)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

std::string xprop(Window& window, const std::string& property) {
    return runWhilePumping("xprop -id " + xId(window) + " " + property);
}

std::string mapState(Window& window) {
    const std::string info = runWhilePumping("xwininfo -id " + xId(window));
    const auto at = info.find("Map State: ");
    return at == std::string::npos ? "" : info.substr(at + 11, info.find('\n', at) - at - 11);
}

// Where a top-level window is among the root window's children, which xwininfo lists from the
// top down.
std::size_t stackingDepth(Window& window) {
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx ", gtk_probe::xWindow(*window.backendWindow()));
    return runWhilePumping("xwininfo -root -children").find(id);
}

class GtkMovieWindow : public GtkBackendTest {
  protected:
    void SetUp() override {
        GtkBackendTest::SetUp();
        ASSERT_TRUE(dlg.Create(kMovieWindow, nullptr));
        ASSERT_TRUE(pumpUntil([&] { return gtk_probe::isOnScreen(*dlg.backendWindow()); }));
    }
    std::vector<RECT> shape() { return gtk_probe::xShape(*dlg.backendWindow()); }

    BaseDlg dlg{kMovieWindow};
};

TEST_F(GtkMovieWindow, RoundRegionCutsTheXWindowsCornersPixelForPixel) {
    dlg.setRoundShape();
    ASSERT_TRUE(pumpUntil([&] { return !shapeHas(shape(), 0, 0); }));
    const std::vector<RECT> xShape = shape();
    EXPECT_TRUE(shapeHas(xShape, 10, 0));
    EXPECT_TRUE(shapeHas(xShape, 0, 10));
    EXPECT_FALSE(shapeHas(xShape, 959, 593));
    const Region& region = *dlg.GetWindowRgn();
    int wrong = 0;
    for (int y = -1; y <= 594; ++y)
        for (int x = -1; x <= 960; ++x) wrong += shapeHas(xShape, x, y) != region.contains(x, y);
    EXPECT_EQ(wrong, 0) << "pixels where the X shape and the region disagree";
}

TEST_F(GtkMovieWindow, MaximisedItFillsTheWorkAreaWithSquareCornersAndRestoresRound) {
    dlg.setRoundShape();
    dlg.ShowWindow(SW_SHOWMAXIMIZED);
    dlg.updateShape();
    const RECT area = backend().workArea();
    ASSERT_TRUE(pumpUntil([&] { return xGeometry(dlg).width == area.width(); }));
    const XGeometry x = xGeometry(dlg);
    EXPECT_EQ(x.x, area.left);
    EXPECT_EQ(x.y, area.top);
    EXPECT_EQ(x.height, area.height());
    ASSERT_TRUE(pumpUntil([&] { return shapeHas(shape(), 0, 0); }));
    EXPECT_TRUE(shapeHas(shape(), area.width() - 1, area.height() - 1));
    dlg.ShowWindow(SW_SHOWNORMAL);
    dlg.updateShape();
    ASSERT_TRUE(pumpUntil([&] { return xGeometry(dlg).width == 960; }));
    EXPECT_EQ(xGeometry(dlg).x, 160);
    EXPECT_TRUE(pumpUntil([&] { return !shapeHas(shape(), 0, 0); }));
}

TEST_F(GtkMovieWindow, NoRegionGivesBackTheWholeRectangle) {
    dlg.setRoundShape();
    ASSERT_TRUE(pumpUntil([&] { return !shapeHas(shape(), 0, 0); }));
    dlg.SetWindowRgn(nullptr, true);
    EXPECT_TRUE(pumpUntil([&] { return shape() == std::vector<RECT>{RECT{0, 0, 960, 594}}; }));
}

TEST_F(GtkMovieWindow, CaptionedWindowsShapeIsItsRegionOverTheClientArea) {
    RecordingWindow dialog;
    ASSERT_TRUE(dialog.CreateEx(0, "Test", "framed", WS_POPUP | WS_CAPTION, RECT{50, 50, 350, 250},
                                nullptr, 0));
    // Given before the window is first shown, as dialogs do while they initialise.
    dialog.SetWindowRgn(CreateRoundRectRgn(0, 0, 300, 200, 120, 120), true);
    dialog.ShowWindow(SW_SHOW);
    const RECT client = dialog.GetClientRect();
    const auto shape = [&] { return gtk_probe::xShape(*dialog.backendWindow()); };
    ASSERT_TRUE(pumpUntil([&] {
        const auto now = shape();
        return !now.empty() && !shapeHas(now, 0, client.height() - 1);
    })) << "the lower corners are cut";
    const std::vector<RECT> xShape = shape();
    const RECT insets = Window::nonClientInsets(dialog.GetStyle());
    int wrong = 0;
    for (int y = 0; y < client.height(); ++y)
        for (int x = 0; x < client.width(); ++x)
            wrong += shapeHas(xShape, x, y) !=
                     dialog.GetWindowRgn()->contains(x + insets.left, y + insets.top);
    EXPECT_EQ(wrong, 0) << "pixels where the X shape and the region disagree";
}

TEST_F(GtkMovieWindow, LayeredAlphaIsTheXWindowsOpacity) {
    setLayeredAlpha(dlg.GetSafeHwnd(), 128);
    // 0xffffffff is opaque: 128 / 255 of it.
    EXPECT_TRUE(pumpUntil([&] {
        return xprop(dlg, "_NET_WM_WINDOW_OPACITY").find("= 2155905152") != std::string::npos;
    })) << xprop(dlg, "_NET_WM_WINDOW_OPACITY");
    setLayeredAlpha(dlg.GetSafeHwnd(), 0);
    EXPECT_TRUE(pumpUntil(
        [&] { return xprop(dlg, "_NET_WM_WINDOW_OPACITY").find("= 0\n") != std::string::npos; }));
    setLayeredAlpha(dlg.GetSafeHwnd(), 255);
    EXPECT_TRUE(pumpUntil([&] {
        return xprop(dlg, "_NET_WM_WINDOW_OPACITY").find("not found") != std::string::npos;
    })) << "an opaque window has no opacity property";
}

TEST_F(GtkMovieWindow, TopmostIsAWindowManagerStateWhetherSetBeforeOrAfterMapping) {
    const auto above = [&] {
        return xprop(dlg, "_NET_WM_STATE").find("_NET_WM_STATE_ABOVE") != std::string::npos;
    };
    EXPECT_FALSE(above());
    dlg.setTopMost();
    EXPECT_TRUE(pumpUntil(above)) << "set while mapped";
    dlg.clearTopMost();
    EXPECT_TRUE(pumpUntil([&] { return !above(); }));
    RecordingWindow early;
    ASSERT_TRUE(
        early.CreateEx(WS_EX_TOPMOST, "Test", "early", WS_POPUP, RECT{0, 0, 80, 60}, nullptr, 0));
    early.ShowWindow(SW_SHOWNA);
    ASSERT_TRUE(pumpUntil([&] { return gtk_probe::isOnScreen(*early.backendWindow()); }));
    EXPECT_NE(xprop(early, "_NET_WM_STATE").find("_NET_WM_STATE_ABOVE"), std::string::npos)
        << "set before mapping";
}

TEST_F(GtkMovieWindow, MinimisedItLeavesTheScreenAndComesBackWhereItWas) {
    dlg.setShowState(SW_SHOWMINIMIZED);
    EXPECT_TRUE(pumpUntil([&] { return mapState(dlg) == "IsUnMapped"; }));
    dlg.ShowWindow(SW_SHOW);
    pumpUntil([] { return false; }, 100ms);
    EXPECT_EQ(mapState(dlg), "IsUnMapped") << "SW_SHOW keeps it minimised";
    dlg.setShowState(SW_SHOWNORMAL);
    ASSERT_TRUE(pumpUntil([&] { return mapState(dlg) == "IsViewable"; }));
    const XGeometry x = xGeometry(dlg);
    EXPECT_EQ(x.x, 160);
    EXPECT_EQ(x.y, 215);
}

TEST_F(GtkMovieWindow, ActivatingRaisesTheWindowAndGivesItTheFocus) {
    RecordingWindow other;
    showWindow(other, "other", WS_POPUP, RECT{100, 200, 400, 400});
    const auto focus = [] { return runWhilePumping("xdotool getwindowfocus -f"); };
    other.SetForegroundWindow();
    ASSERT_TRUE(pumpUntil([&] { return focus() == xId(other) + "\n"; })) << focus();
    dlg.SetForegroundWindow();
    EXPECT_TRUE(pumpUntil([&] { return focus() == xId(dlg) + "\n"; })) << focus();
    EXPECT_LT(stackingDepth(dlg), stackingDepth(other)) << "the last one activated is on top";
    other.SetForegroundWindow();
    EXPECT_TRUE(pumpUntil([&] { return stackingDepth(other) < stackingDepth(dlg); }));
}

}  // namespace
}  // namespace gtk_test
