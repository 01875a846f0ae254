#include <filesystem>

#include "platform/messages.h"
#include "platform/ui_trace.h"
#include "player/loading_dlg.h"
#include "player/main_player.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/trace_text.h"
#include "tests/support/virtual_clock.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

// On virtual time: deadlines are met to the millisecond.
class LoadingDlgTest : public test_support::HeadlessTest {
  protected:
    void SetUp() override {
        test_support::installScriptedBackend(dir, "", dir.file("ui.trace"));
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
    // The time of the trace's first line that is `event`, -1 when there is none.
    std::int64_t tracedAt(const std::string& event) const {
        for (const auto& line :
             test_support::traceLines(test_support::readFile(dir.file("ui.trace"))))
            if (line.event == event) return line.ms;
        return -1;
    }

    test_support::TempDir dir;
    test_support::VirtualClock clock;
    Window main;
};

TEST_F(LoadingDlgTest, ALoadingWindowIsCentredOverItsParentAndClosesAtItsDeadline) {
    const UINT_PTR id = showLoadingWindow(&main, 300);
    LoadingDlg* window = windowOf(id);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsWindowVisible());
    EXPECT_EQ(window->GetWindowRect(), (RECT{814, 489, 1105, 591}));
    EXPECT_EQ(window->GetOwner(), &main);
    EXPECT_TRUE(window->shell().isReady()) << "the loading movie plays";
    clock.runFor(299ms);
    EXPECT_NE(windowOf(id), nullptr) << "open until the last millisecond";
    clock.runFor(1ms);
    EXPECT_EQ(windowOf(id), nullptr);
    EXPECT_FALSE(killTimer(nullptr, id)) << "its timer is gone too";
}

// A deadline that is no multiple of the 100 ms tick is seen at the first tick after it.
TEST_F(LoadingDlgTest, ADeadlineBetweenTicksClosesTheWindowAtTheNextTick) {
    const UINT_PTR id = showLoadingWindow(&main, 250);
    clock.runFor(299ms);
    EXPECT_NE(windowOf(id), nullptr);
    clock.runFor(1ms);
    EXPECT_EQ(windowOf(id), nullptr);
}

TEST_F(LoadingDlgTest, ThePlayersFiveSecondDeadlineShowsInTheTraceToTheMillisecond) {
    const UINT_PTR id = showLoadingWindow(&main, MainPlayer::kLoadingTimeoutMs);
    const std::string name = handleText(windowOf(id)->GetSafeHwnd());
    clock.runFor(10s);
    ASSERT_EQ(windowOf(id), nullptr);
    const std::int64_t shown = tracedAt("show " + name);
    ASSERT_GE(shown, 0);
    EXPECT_EQ(tracedAt("destroy " + name) - shown, 5000);
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
    clock.runFor(1h);
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
