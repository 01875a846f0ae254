#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

#include "common/console.h"
#include "common/console_ids.h"
#include "platform/list_box.h"
#include "platform/messages.h"
#include "resources/player_resources.h"
#include "tests/support/headless_fixture.h"

using namespace platform;

// Every allocation of the process is counted, to show that logging while the console is off
// allocates nothing.
namespace {
std::atomic<long> g_allocations{0};
}  // namespace

// GCC takes the replaced pair for the library's and warns that free does not match new.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
#pragma GCC diagnostic pop

namespace {

// Each test runs in a process of its own (the console cannot be closed once open).
using ConsoleTest = test_support::HeadlessTest;

const std::vector<std::string>& consoleLines() {
    return static_cast<ListBox*>(g_consoleDlg.GetDlgItem(console::IDC_CONSOLE_LIST))->items();
}

TEST_F(ConsoleTest, WithoutTheSwitchNothingIsWrittenAnywhere) {
    testing::internal::CaptureStdout();
    consoleLog("one");
    consoleLogf("主版本号:%d", 3);
    consoleLogf("key:%s", "value");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(g_bConsoleEnabled);
    EXPECT_EQ(g_consoleDlg.GetSafeHwnd(), nullptr);
}

TEST_F(ConsoleTest, WithoutTheSwitchFormattedLinesAllocateNothing) {
    const std::string host = "update.example.com";
    const long before = g_allocations;
    consoleLogf("HttpClient::open:invalid address %s:%d", host, 80);
    consoleLogf("httpFile.statusCode:%d", 404);
    consoleLogf("ocxFileName:%s", host);
    consoleLogf("key:%s", "value");
    EXPECT_EQ(g_allocations - before, 0);
}

TEST_F(ConsoleTest, LinesAppearInCallOrderInTheWindowAndOnStandardOutput) {
    ASSERT_TRUE(openConsole(resources::playerResources()));
    EXPECT_TRUE(g_consoleDlg.IsWindowVisible());
    EXPECT_EQ(g_consoleDlg.GetWindowText(), "消息控件台");
    testing::internal::CaptureStdout();
    consoleLog("b line");
    consoleLogf("主版本号:%d", 3);
    consoleLogf("httpFile.statusCode:%ld", 404);
    consoleLogf("MainPlayer::handleCommand:%s", std::string("Close"));
    consoleLogf("invalid address %s:%d", std::string("h"), -1);
    consoleLog("a line");
    const std::vector<std::string> expected{"b line",
                                            "主版本号:3",
                                            "httpFile.statusCode:404",
                                            "MainPlayer::handleCommand:Close",
                                            "invalid address h:-1",
                                            "a line"};
    EXPECT_EQ(consoleLines(), expected) << "the sort style must not reorder logged lines";
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "b line\n主版本号:3\nhttpFile.statusCode:404\nMainPlayer::handleCommand:Close\n"
              "invalid address h:-1\na line\n");
}

TEST_F(ConsoleTest, AWorkerThreadsLineWaitsForTheConsoleThread) {
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
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"from owner", "from worker"}));
}

}  // namespace
