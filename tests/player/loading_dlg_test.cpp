#include <filesystem>

#include "platform/messages.h"
#include "player/loading_dlg.h"
#include "tests/support/headless_fixture.h"

using namespace platform;
using test_support::pumpUntil;

namespace {

class LoadingDlgTest : public test_support::HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ASSERT_TRUE(main.CreateEx(0, "Main", "", WS_POPUP | WS_VISIBLE, RECT{480, 243, 1440, 837},
                                  nullptr, 0));
    }
    void TearDown() override {
        // Leave no window behind for the next test.
        std::vector<std::uint32_t> open;
        for (const auto& [id, entry] : loadingWindows()) open.push_back(id);
        for (auto id : open) closeLoadingWindow(id);
    }
    static LoadingDlg* windowOf(UINT_PTR id) {
        auto it = loadingWindows().find(static_cast<std::uint32_t>(id));
        return it == loadingWindows().end() ? nullptr : it->second->window;
    }
    Window main;
};

TEST_F(LoadingDlgTest, ALoadingWindowIsCentredOverItsParentAndClosesAfterItsDeadline) {
    const auto start = Clock::now();
    const UINT_PTR id = showLoadingWindow(&main, 300);
    LoadingDlg* window = windowOf(id);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsWindowVisible());
    EXPECT_EQ(window->GetWindowRect(), (RECT{814, 489, 1105, 591}));
    EXPECT_EQ(window->GetOwner(), &main);
    EXPECT_TRUE(window->shell().isReady()) << "the loading movie plays";
    ASSERT_TRUE(pumpUntil([&] { return windowOf(id) == nullptr; }));
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
    EXPECT_LT(elapsed, std::chrono::milliseconds(300 + 1000));
    EXPECT_FALSE(killTimer(nullptr, id)) << "its timer is gone too";
}

TEST_F(LoadingDlgTest, WithoutAParentTheWindowIsCentredOnTheDesktop) {
    const UINT_PTR id = showLoadingWindow(nullptr, 0);
    EXPECT_EQ(windowOf(id)->GetWindowRect(), (RECT{814, 489, 1105, 591}));
}

TEST_F(LoadingDlgTest, TwoWindowsCloseIndependentlyAndUnknownIdentifiersAreHarmless) {
    const UINT_PTR first = showLoadingWindow(&main, 0);
    const UINT_PTR second = showLoadingWindow(&main, 0);
    EXPECT_NE(first, second);
    closeLoadingWindow(first);
    EXPECT_EQ(windowOf(first), nullptr);
    ASSERT_NE(windowOf(second), nullptr);
    EXPECT_TRUE(windowOf(second)->IsWindowVisible());
    closeLoadingWindow(first);
    closeLoadingWindow(123456);
    EXPECT_EQ(loadingWindows().size(), 1u);
    // Without a deadline only a close removes it.
    pumpUntil([] { return false; }, std::chrono::milliseconds(250));
    EXPECT_NE(windowOf(second), nullptr);
}

TEST_F(LoadingDlgTest, DeadlinesSurviveTheWrapOfTheMillisecondClock) {
    EXPECT_TRUE(deadlineReached(1000, 1000));
    EXPECT_FALSE(deadlineReached(999, 1000));
    // A deadline past the wrap is ahead of a clock just before it, and reached after it.
    EXPECT_FALSE(deadlineReached(0xFFFFFF00u, 0x00000100u));
    EXPECT_TRUE(deadlineReached(0x00000100u, 0x00000100u));
    EXPECT_TRUE(deadlineReached(0x00000200u, 0xFFFFFF00u));
}

}  // namespace
