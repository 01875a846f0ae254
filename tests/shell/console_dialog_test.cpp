#include "shell/console_dialog.h"

#include <atomic>
#include <thread>

#include "common/console.h"
#include "common/console_ids.h"
#include "platform/list_box.h"
#include "resources/player_resources.h"
#include "tests/support/captured_log.h"
#include "tests/support/headless_fixture.h"

using namespace platform;
using Strings = std::vector<std::string>;

namespace {

// Each test runs in a process of its own (the console cannot be closed once open).
using ConsoleDialogTest = test_support::HeadlessTest;

const Strings& consoleLines() {
    return static_cast<ListBox*>(g_consoleDlg.GetDlgItem(console::IDC_CONSOLE_LIST))->items();
}

TEST_F(ConsoleDialogTest, UntilOpenedThereIsNoWindowAndNoSink) {
    EXPECT_FALSE(consoleEnabled());
    EXPECT_EQ(g_consoleDlg.GetSafeHwnd(), nullptr);
}

TEST_F(ConsoleDialogTest, LinesAppearInCallOrderInTheWindowAndOnStandardOutput) {
    ASSERT_TRUE(openConsole(resources::playerResources()));
    EXPECT_TRUE(openConsole(resources::playerResources())) << "once";
    EXPECT_TRUE(g_consoleDlg.IsWindowVisible());
    EXPECT_EQ(g_consoleDlg.GetWindowText(), "消息控件台");
    testing::internal::CaptureStdout();
    consoleLog("b line");
    consoleLogf("主版本号:%d", 3);
    consoleLogf("httpFile.statusCode:%ld", 404);
    consoleLog("a line");
    const Strings expected{"b line", "主版本号:3", "httpFile.statusCode:404", "a line"};
    EXPECT_EQ(consoleLines(), expected) << "the sort style must not reorder logged lines";
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "b line\n主版本号:3\nhttpFile.statusCode:404\na line\n")
        << "one copy per line, though the console was opened twice";
}

TEST_F(ConsoleDialogTest, ASinkAddedLaterGetsTheSameLines) {
    ASSERT_TRUE(openConsole(resources::playerResources()));
    test_support::CapturedLog log;
    consoleLog("one");
    consoleLogf("two:%s", "2");
    EXPECT_EQ(consoleLines(), (Strings{"one", "two:2"}));
    EXPECT_EQ(log.lines(), consoleLines());
}

// A program's worker logs while its window system is still starting.
TEST_F(ConsoleDialogTest, LinesKeptBeforeTheWindowComeFirstInTheirOrder) {
    keepConsoleLines();
    EXPECT_TRUE(consoleEnabled());
    testing::internal::CaptureStdout();
    std::thread worker([] {
        consoleLog("worker 1");
        consoleLogf("worker %d", 2);
    });
    worker.join();
    consoleLog("owner 3");
    EXPECT_EQ(g_consoleDlg.GetSafeHwnd(), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "kept, not yet shown";

    testing::internal::CaptureStdout();
    ASSERT_TRUE(openConsole(resources::playerResources()));
    consoleLog("owner 4");
    const Strings expected{"worker 1", "worker 2", "owner 3", "owner 4"};
    EXPECT_EQ(consoleLines(), expected);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "worker 1\nworker 2\nowner 3\nowner 4\n");
}

TEST_F(ConsoleDialogTest, AWorkerThreadsLineWaitsForTheConsoleThread) {
    ASSERT_TRUE(openConsole(resources::playerResources()));
    std::atomic<bool> logged{false};
    std::thread worker([&] {
        consoleLog("from worker");
        logged = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(logged) << "the console's thread has not handled the line yet";
    consoleLog("from owner");
    EXPECT_TRUE(test_support::pumpUntil([&] { return logged.load(); }));
    worker.join();
    const auto& lines = consoleLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(Strings(lines.end() - 2, lines.end()), (Strings{"from owner", "from worker"}));
}

}  // namespace
