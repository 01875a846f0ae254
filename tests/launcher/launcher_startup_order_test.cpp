// The launcher's checks begin while its window system is still starting. What they find before
// there is a splash, a console or a way to show a message box reaches the user once there is.
// The headless backend reads its script as it starts, so a named pipe in the script's place holds
// the window system's start until the test writes into it.
#include <sys/syscall.h>
#include <sys/types.h>

#include <algorithm>
#include <filesystem>

#include "tests/launcher/launcher_fixture.h"
#include "tests/support/fifo.h"
#include "tests/support/file_text.h"

namespace launcher_test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::readFile;

constexpr auto kLimit = 30s;

std::vector<std::string> threadsOf(pid_t pid) {
    std::vector<std::string> threads;
    std::error_code error;
    for (const auto& entry :
         fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error))
        threads.push_back(entry.path().filename().string());
    return threads;
}

class LauncherStartupOrder : public LauncherTest {
  protected:
    // The next start waits inside its window system's start until `release`.
    void holdWindowSystem() { ASSERT_TRUE(test_support::makeFifo(dir.file("script.txt"))); }
    void release() {
        test_support::runWithoutWaiting(
            [this] { test_support::writeFile(dir.file("script.txt"), ""); });
    }

    // The worker has ended: the launcher's main thread, held, is all that is left.
    static bool onlyTheMainThread(const test_support::ProgramRun& run) {
        return threadsOf(run.pid()) == std::vector<std::string>{std::to_string(run.pid())};
    }
    // The launcher's main thread and one other, which waits on a lock or a condition: the
    // worker, once it has nothing left to do but wait for the window system.
    static bool onlyTheWorkerWaits(const test_support::ProgramRun& run) {
        const auto threads = threadsOf(run.pid());
        const std::string blocked = std::to_string(SYS_futex) + " ";
        return threads.size() == 2 &&
               std::any_of(threads.begin(), threads.end(), [&](const std::string& thread) {
                   if (thread == std::to_string(run.pid())) return false;
                   const std::string call = readFile("/proc/" + std::to_string(run.pid()) +
                                                     "/task/" + thread + "/syscall");
                   return call.rfind(blocked, 0) == 0;
               });
    }
};

// The checks, the report and the 2000 ms all pass before the window system has started; the
// worker's close waits for the splash, which ends as soon as it is made, and the hand-off follows.
// (Without the close kept for it, the splash would stay up and nothing would start.)
TEST_F(LauncherStartupOrder, TheChecksRunOutWhileTheWindowSystemStartsAndTheHandOffFollowsIt) {
    holdWindowSystem();
    auto launcher = start();
    ASSERT_TRUE(test_support::waitUntil(
        [&] { return logServer.targets().size() == 1 && onlyTheMainThread(*launcher); }, kLimit));
    EXPECT_EQ(updateServer.targets(), Strings{"/vexo/version.xml"});
    EXPECT_EQ(uiTrace(), "") << "no window system, no window";
    EXPECT_TRUE(fs::is_empty(install("started"))) << "no hand-off before the splash";

    release();
    ASSERT_TRUE(waitForStart("VexoClientPlay.exe"));
    EXPECT_EQ(exitOf(*launcher), 0);
    EXPECT_EQ(startsOf("VexoClientPlay.exe"), (Starts{{url(), "-s"}}));
    const std::string ui = uiTrace();
    const std::string splash = splashHandle(ui);
    ASSERT_FALSE(splash.empty()) << ui;
    EXPECT_NE(ui.find("destroy " + splash + "\n"), std::string::npos);
}

TEST_F(LauncherStartupOrder, AVersionCheckThatFailedBeforeTheSplashExistedStillShowsNotice1) {
    updateServer.answer("/vexo/version.xml", 500);
    holdWindowSystem();
    auto launcher = start();
    ASSERT_TRUE(test_support::waitUntil(
        [&] { return !updateServer.served().empty() && onlyTheMainThread(*launcher); }, kLimit));

    release();
    ASSERT_TRUE(test_support::waitUntil(
        [&] { return movieTrace().find(kFailMess1) != std::string::npos; }, kLimit));
    const std::string ui = uiTrace();
    EXPECT_NE(ui.find("show " + splashHandle(ui) + "\n"), std::string::npos)
        << "the splash stays for the user";
    EXPECT_EQ(occurrences(movieTrace(), std::string("1 CallFunction ") + kFailMess1 + "\n"), 1u);
    EXPECT_FALSE(launcher->wait(0ms).has_value()) << "the launcher waits for the user";
    launcher.reset();
    EXPECT_TRUE(startedNothing());
}

// "update" is a file: the update run fails at once, and its box waits for the window system.
TEST_F(LauncherStartupOrder, AnUpdateFailureFoundBeforeTheWindowSystemStartedGetsItsBoxAfter) {
    publish(6, {{"welcome.swf", "# the splash of release 6\n"}});
    test_support::writeFile(install("update"), "not a folder");
    holdWindowSystem();
    auto launcher = start();
    ASSERT_TRUE(test_support::waitUntil(
        [&] { return !updateServer.served().empty() && onlyTheWorkerWaits(*launcher); }, kLimit));

    release();
    ASSERT_TRUE(waitForStart("VexoClientUpdater.exe"));
    EXPECT_EQ(exitOf(*launcher), 0);
    const std::string ui = uiTrace();
    EXPECT_EQ(occurrences(ui, "text=\"创建目录失败，请重新运行程序试试!\" answer=IDOK"), 1u) << ui;
}

// With -c the console opens only with the window system; the lines the worker logged before are
// kept and shown first, the same lines in the same order as when the window system comes at once.
TEST_F(LauncherStartupOrder, LinesLoggedBeforeTheConsoleOpenedAreShownInTheirOrder) {
    stdoutName = "at-once.out";
    auto atOnce = start({"-c"}, "ui-at-once.trace");
    EXPECT_EQ(exitOf(*atOnce), 0);
    ASSERT_TRUE(descendants.waitForAll(kLimit));
    const std::string expected = readFile(dir.file("at-once.out"));
    ASSERT_NE(expected.find("\nrequireVer.minor:0\n"), std::string::npos) << expected;

    stdoutName = "held.out";
    holdWindowSystem();
    auto held = start({"-c"});
    ASSERT_TRUE(test_support::waitUntil(
        [&] { return logServer.targets().size() == 2 && onlyTheMainThread(*held); }, kLimit));
    EXPECT_EQ(readFile(dir.file("held.out")), "") << "kept for the console";
    release();
    EXPECT_EQ(exitOf(*held), 0);
    EXPECT_EQ(readFile(dir.file("held.out")), expected);
    const std::string ui = uiTrace();
    EXPECT_NE(ui.find(" 0 \"" + expected.substr(0, expected.find('\n')) + "\"\n"),
              std::string::npos)
        << "the first line is the list box's first item: " << ui;
}

}  // namespace
}  // namespace launcher_test
