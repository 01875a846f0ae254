// The loading window on real X windows.
#include "platform/messages.h"
#include "player/loading_dlg.h"
#include "tests/support/gtk/gtk_test_support.h"

namespace {

using namespace gtk_test;

class LoadingGuiTest : public GtkBackendTest {};

TEST_F(LoadingGuiTest, OpensCentredOverItsParentAndLeavesTheScreenAtItsDeadline) {
    Watchdog watchdog(20s);
    RecordingWindow main;
    showWindow(main, "main", WS_POPUP | WS_VISIBLE, RECT{160, 215, 1120, 809});
    const auto start = Clock::now();
    const UINT_PTR id = showLoadingWindow(&main, 1000);
    LoadingDlg* window = loadingWindows().at(static_cast<std::uint32_t>(id))->window;
    const std::string xWindow = xId(*window);
    ASSERT_TRUE(pumpUntil([&] { return xGeometry(*window).width == 291; }));
    const XGeometry geometry = xGeometry(*window);
    EXPECT_EQ(geometry.x, 160 + (960 - 291) / 2);
    EXPECT_EQ(geometry.y, 215 + (594 - 102) / 2);
    EXPECT_EQ(geometry.height, 102);
    ASSERT_TRUE(pumpUntil([&] { return loadingWindows().empty(); }, 5s));
    EXPECT_GE(Clock::now() - start, 1000ms);
    // The X window is gone with it.
    const std::string info = runWhilePumping("xwininfo -id " + xWindow + " 2>&1");
    EXPECT_NE(info.find("No such window"), std::string::npos) << info;
}

}  // namespace
