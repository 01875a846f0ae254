// Where GTK puts windows, and what the window manager's side tells the portable layer.
#include "platform/icon.h"
#include "tests/support/gtk/gtk_probe.h"
#include "tests/support/gtk/gtk_test_support.h"

namespace gtk_test {
namespace {

using namespace platform;

class GtkWindowPlacement : public GtkBackendTest {};

TEST_F(GtkWindowPlacement, BorderlessPopupCoversExactlyItsRectangleWithoutDecorations) {
    RecordingWindow popup;
    showWindow(popup, "borderless", WS_POPUP, RECT{100, 120, 420, 360});
    const XGeometry x = xGeometry(popup);
    EXPECT_EQ(x.x, 100);
    EXPECT_EQ(x.y, 120);
    EXPECT_EQ(x.width, 320);
    EXPECT_EQ(x.height, 240);
    // Motif hints: flags 0x2 (decorations given), decorations 0.
    const std::string hints = runWhilePumping("xprop -id " + xId(popup) + " _MOTIF_WM_HINTS");
    EXPECT_NE(hints.find("= 0x2, 0x0, 0x0"), std::string::npos) << hints;
}

TEST_F(GtkWindowPlacement, CaptionedWindowShowsItsClientAreaAtThePortableClientOrigin) {
    RecordingWindow dialog;
    showWindow(dialog, "对话", WS_POPUP | WS_CAPTION | WS_SYSMENU, RECT{200, 150, 600, 450});
    const POINT origin = dialog.ClientOrigin();
    const RECT client = dialog.GetClientRect();
    const XGeometry x = xGeometry(dialog);
    EXPECT_EQ(x.x, origin.x);
    EXPECT_EQ(x.y, origin.y);
    EXPECT_EQ(x.width, client.width());
    EXPECT_EQ(x.height, client.height());
    const std::string name = runWhilePumping("xprop -id " + xId(dialog) + " _NET_WM_NAME");
    EXPECT_NE(name.find("\"对话\""), std::string::npos) << name;
    const std::string hints = runWhilePumping("xprop -id " + xId(dialog) + " _MOTIF_WM_HINTS");
    EXPECT_EQ(hints.find("= 0x2, 0x0, 0x0"), std::string::npos) << hints;
}

TEST_F(GtkWindowPlacement, MoveWindowMovesTheNativeWindowAndNothingComesBack) {
    RecordingWindow popup;
    showWindow(popup, "moved", WS_POPUP, RECT{50, 50, 250, 200});
    popup.MoveWindow(300, 260, 180, 120);
    ASSERT_TRUE(pumpUntil([&] { return xGeometry(popup).x == 300; }));
    const XGeometry x = xGeometry(popup);
    EXPECT_EQ(x.y, 260);
    EXPECT_EQ(x.width, 180);
    EXPECT_EQ(x.height, 120);
    // The configure events of our own move are not taken for the window manager's.
    pumpUntil([] { return false; }, 500ms);
    EXPECT_EQ(popup.GetWindowRect(), (RECT{300, 260, 480, 380}));
    EXPECT_EQ(popup.received({WM_MOVE}).size(), 1u);
}

TEST_F(GtkWindowPlacement, ResizableWindowGrowsAndShrinksExactly) {
    RecordingWindow frame;
    showWindow(frame, "sizing", WS_POPUP | WS_THICKFRAME, RECT{40, 40, 340, 240});
    frame.MoveWindow(40, 40, 500, 400);
    ASSERT_TRUE(pumpUntil([&] { return xGeometry(frame).width == 500; }));
    EXPECT_EQ(xGeometry(frame).height, 400);
    frame.MoveWindow(40, 40, 120, 90);
    ASSERT_TRUE(pumpUntil([&] { return xGeometry(frame).width == 120; }));
    EXPECT_EQ(xGeometry(frame).height, 90);
}

TEST_F(GtkWindowPlacement, ScreenAndWorkAreaAreThoseOfTheMonitorOnEveryThread) {
    EXPECT_EQ(backend().screenRect(), (RECT{0, 0, 1280, 1024}));
    // Nothing on this bare X server reserves part of the screen.
    EXPECT_EQ(backend().workArea(), (RECT{0, 0, 1280, 1024}));
    RECT fromWorker;
    std::thread([&] { fromWorker = backend().workArea(); }).join();
    EXPECT_EQ(fromWorker, (RECT{0, 0, 1280, 1024}));
}

TEST_F(GtkWindowPlacement, WindowManagerMovesAndResizesReachTheWindowRectangle) {
    RecordingWindow dialog;
    showWindow(dialog, "managed", WS_POPUP | WS_CAPTION, RECT{100, 100, 400, 300});
    // Past the settling time of our own placement, as a person would come later.
    pumpUntil([] { return false; }, 400ms);
    runWhilePumping("xdotool windowmove " + xId(dialog) + " 500 400 windowsize " + xId(dialog) +
                    " 250 150");
    ASSERT_TRUE(pumpUntil([&] { return dialog.GetClientRect().width() == 250; }));
    EXPECT_EQ(dialog.ClientOrigin(), (POINT{500, 400}));
    EXPECT_EQ(dialog.GetClientRect(), (RECT{0, 0, 250, 150}));
    const auto sizes = dialog.received({WM_SIZE});
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().lParam, MAKELPARAM(250, 150));
    EXPECT_FALSE(dialog.received({WM_MOVE}).empty());
}

TEST_F(GtkWindowPlacement, TheProgramsIconReachesTheWindowManagerInEachSize) {
    RecordingWindow window;
    showWindow(window, "icon", WS_POPUP, RECT{10, 10, 200, 100});
    const std::string none = runWhilePumping("xprop -id " + xId(window) + " _NET_WM_ICON");
    EXPECT_EQ(none.find("Icon ("), std::string::npos) << none;
    window.SetIcon(LoadIcon(128), true);
    window.SetIcon(LoadIcon(128), false);
    std::string icons;
    ASSERT_TRUE(pumpUntil([&] {
        icons = runWhilePumping("xprop -id " + xId(window) + " _NET_WM_ICON");
        return icons.find("48 x 48") != std::string::npos;
    }));
    EXPECT_NE(icons.find("16 x 16"), std::string::npos) << icons;
    EXPECT_NE(icons.find("32 x 32"), std::string::npos) << icons;
}

TEST_F(GtkWindowPlacement, CloseButtonPostsWmCloseAndLeavesTheDecisionToTheWindow) {
    RecordingWindow dialog;
    showWindow(dialog, "closing", WS_POPUP | WS_CAPTION | WS_SYSMENU, RECT{10, 10, 200, 100});
    gtk_probe::requestClose(*dialog.backendWindow());
    // Default handling of WM_CLOSE destroys the window; GTK alone must not have.
    ASSERT_TRUE(pumpUntil([&] { return dialog.GetSafeHwnd() == nullptr; }));
    EXPECT_EQ(dialog.received({WM_CLOSE}).size(), 1u);
}

class GtkChildWindows : public GtkBackendTest {};

TEST_F(GtkChildWindows, DetachedChildIsKeptOffScreenAndComesBackWhenReattached) {
    RecordingWindow parent, child;
    showWindow(parent, "parent", WS_POPUP, RECT{100, 100, 400, 300});
    ASSERT_TRUE(
        child.CreateEx(0, "Test", "", WS_CHILD | WS_VISIBLE, RECT{10, 10, 110, 60}, &parent, 1));
    ASSERT_TRUE(pumpUntil([&] { return gtk_probe::isOnScreen(*child.backendWindow()); }));
    child.SetParent(nullptr);
    EXPECT_EQ(gtk_probe::nativeParent(*child.backendWindow()), nullptr);
    EXPECT_FALSE(gtk_probe::isOnScreen(*child.backendWindow()));
    child.SetParent(&parent);
    EXPECT_NE(gtk_probe::nativeParent(*child.backendWindow()), nullptr);
    EXPECT_TRUE(pumpUntil([&] { return gtk_probe::isOnScreen(*child.backendWindow()); }));
}

TEST_F(GtkChildWindows, ControlSiteGivesTheControlsViewItsWholeArea) {
    RecordingWindow host;
    showWindow(host, "host", WS_POPUP, RECT{100, 100, 500, 400});
    const NativeWindowSpec request{
        WindowKind::ControlSite, reinterpret_cast<HWND>(0x7001), "ControlSite", "", WS_CHILD, 0,
        RECT{20, 30, 320, 230}};
    auto site = backend().createWindow(request, host.backendWindow());
    site->setVisible(true);
    gtk_probe::addFiller(*site);
    EXPECT_TRUE(pumpUntil([&] {
        return gtk_probe::fillerAllocation(*site) == RECT{0, 0, 300, 200};
    }));
    site->setBounds(RECT{20, 30, 220, 130});
    EXPECT_TRUE(pumpUntil([&] {
        return gtk_probe::fillerAllocation(*site) == RECT{0, 0, 200, 100};
    })) << "the view follows the site's size";
}

}  // namespace
}  // namespace gtk_test
