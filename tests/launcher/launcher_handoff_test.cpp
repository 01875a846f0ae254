// The launcher's hand-off: what it starts after its checks, with which parameters, and when.
#include <atomic>
#include <filesystem>
#include <thread>

#include "tests/launcher/launcher_fixture.h"

namespace launcher_test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::readFile;

constexpr const char* kFlashQuestion = "flash插件还未安装或版本过低，是否现在安装?";
constexpr const char* kInstallFailed = "flash插件安装失败, 检查是否正确下载了flash插件!";

using LauncherHandOff = LauncherTest;

TEST_F(LauncherHandOff, WithEverythingCurrentItReportsThenStartsThePlayerAfter2000Ms) {
    std::atomic<bool> startedBeforeReport{true};
    logServer.onRequest(
        [&](const std::string&) { startedBeforeReport = !fs::is_empty(install("started")); });
    auto launcher = start();
    ASSERT_TRUE(waitForStart("VexoClientPlay.exe"));
    EXPECT_EQ(exitOf(*launcher), 0) << "the launcher ends with its hand-off";
    // The worker starts after the process does, and the splash stays 2000 ms from then.
    EXPECT_GE(sinceLaunch(), 2000ms);

    EXPECT_EQ(startsOf("VexoClientPlay.exe"), (Starts{{url(), "-s"}}));
    EXPECT_TRUE(startsOf("VexoClientUpdater.exe").empty());
    EXPECT_EQ(updateServer.targets(), Strings{"/vexo/version.xml"});
    EXPECT_EQ(logServer.targets(), Strings{"/clientlog?log=1:1:2_1:"});
    EXPECT_FALSE(startedBeforeReport) << "the report comes before the hand-off";
    logServer.onRequest(nullptr);
    const std::string ui = uiTrace();
    const std::string splash = splashHandle(ui);
    ASSERT_FALSE(splash.empty()) << ui;
    EXPECT_NE(ui.find("move " + splash + " 480,223 960x594\n"), std::string::npos)
        << "centred on the 1920 x 1040 work area";
    EXPECT_NE(ui.find("destroy " + splash + "\n"), std::string::npos);
    EXPECT_EQ(ui.find(" listbox "), std::string::npos) << "no console without -c";
    EXPECT_NE(movieTrace().find("1 LoadMovie 0 " + install("welcome.swf") + "\n"),
              std::string::npos);
}

// Only the first argument counts, and only as exactly "-c"; the launcher's own arguments are
// never passed on.
struct SwitchCase {
    const char* name;
    Strings args;
    bool console;
};

void PrintTo(const SwitchCase& c, std::ostream* out) { *out << c.name; }

class LauncherSwitch : public LauncherTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(LauncherSwitch, OnlyAnExactFirstArgumentMinusCAddsTheConsoleSwitch) {
    auto launcher = start(GetParam().args);
    ASSERT_TRUE(waitForStart("VexoClientPlay.exe"));
    EXPECT_EQ(exitOf(*launcher), 0);
    const Strings expected = GetParam().console ? Strings{url(), "-s", "-c"} : Strings{url(), "-s"};
    EXPECT_EQ(startsOf("VexoClientPlay.exe"), (Starts{expected}));
    EXPECT_EQ(uiTrace().find(" listbox ") != std::string::npos, GetParam().console)
        << "the console window opens with the switch only";
}

INSTANTIATE_TEST_SUITE_P(Arguments, LauncherSwitch,
                         ::testing::Values(SwitchCase{"MinusC", {"-c"}, true},
                                           SwitchCase{
                                               "MinusCThenMore", {"-c", "--extra", "a b"}, true},
                                           SwitchCase{"UpperCase", {"-C"}, false},
                                           SwitchCase{"LongerWord", {"-cc"}, false},
                                           SwitchCase{"MinusCSecond", {"x", "-c"}, false}),
                         [](const auto& instance) { return std::string(instance.param.name); });

TEST_F(LauncherHandOff, TheReportCarriesTheClientIdentifierAndA404ChangesNothing) {
    clientIdentifier("{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
    logServer.answer("/clientlog", 404);
    auto launcher = start();
    ASSERT_TRUE(waitForStart("VexoClientPlay.exe"));
    EXPECT_EQ(exitOf(*launcher), 0);
    EXPECT_EQ(logServer.targets(),
              Strings{"/clientlog?log=1:1:2_1:{6F9619FF-8B86-D011-B42D-00C04FC964FF}"});
    EXPECT_EQ(startsOf("VexoClientPlay.exe"), (Starts{{url(), "-s"}}));
}

// A download that fails still hands over to the updater, never straight to the player; nothing
// of the release is installed and the local manifest stays behind, so that the next start tries
// again with what arrived already staged.
TEST_F(LauncherHandOff, ADueUpdateInstallsNothingButStartsTheUpdaterWhenADownloadFails) {
    const std::string oldManifest = readFile(install("version.xml"));
    publish(6, {{"data/news.txt", "news of release 6"}, {"data/gone.txt", "never served"}}, {},
            {"data/gone.txt"});
    auto launcher = start({"-c"});
    ASSERT_TRUE(waitForStart("VexoClientUpdater.exe"));
    EXPECT_EQ(exitOf(*launcher), 0);
    EXPECT_EQ(startsOf("VexoClientUpdater.exe"), (Starts{{url(), "-s", "-c"}}));
    EXPECT_TRUE(startsOf("VexoClientPlay.exe").empty());
    EXPECT_FALSE(fs::exists(install("data/news.txt")));
    EXPECT_EQ(readFile(install("update/data/news.txt")), "news of release 6");
    EXPECT_FALSE(fs::exists(install("data/gone.txt")));
    EXPECT_EQ(readFile(install("version.xml")), oldManifest);
    EXPECT_EQ(logServer.targets().size(), 1u) << "the report is sent after the update";
}

// The check ends 2300 ms after the splash showed, more than 2000 ms after the worker started,
// and the movie raises a marker 4000 ms after it started: a launcher that waited again after
// such a check would live to raise it. A run with the marker is tried again, as a machine that
// kept a sound launcher from closing for 1.7 seconds looks the same.
TEST_F(LauncherHandOff, ACheckSlowerThan2000MsHandsOffAsSoonAsItEnds) {
    welcome("after 4000 fscommand marker\n");
    bool counted = false;
    for (int attempt = 1; attempt <= 3 && !counted; ++attempt) {
        ASSERT_TRUE(descendants.waitForAll(30s));
        fs::remove_all(install("started"));
        fs::create_directories(install("started"));
        fs::remove(dir.file("movie.trace"));
        const std::string trace = "ui" + std::to_string(attempt) + ".trace";
        updateServer.hold("/vexo/version.xml");
        auto launcher = start({}, trace);
        ASSERT_TRUE(test_support::waitUntil(
            [&] {
                const std::string ui = uiTrace(trace);
                const std::string splash = splashHandle(ui);
                return !splash.empty() && ui.find("show " + splash + "\n") != std::string::npos;
            },
            30s));
        std::this_thread::sleep_until(std::chrono::steady_clock::now() + 2300ms);
        updateServer.release("/vexo/version.xml");
        ASSERT_TRUE(waitForStart("VexoClientPlay.exe"));
        EXPECT_EQ(exitOf(*launcher), 0);
        EXPECT_EQ(startsOf("VexoClientPlay.exe"), (Starts{{url(), "-s"}}));
        counted = movieTrace().find("FSCommand marker") == std::string::npos;
    }
    EXPECT_TRUE(counted) << "in no run did the splash close when the slow check ended";
}

// The movie control is older than the manifest asks for (the scripted control carries no
// version, 0.0): the launcher offers its installation, and without one it starts nothing.
// IDNO declines; IDYES without an installer in Plus/ cannot install.
class LauncherFlashOffer : public LauncherTest,
                           public ::testing::WithParamInterface<std::string> {};

TEST_P(LauncherFlashOffer, DeclinedOrImpossibleClosesTheSplashAndStartsNothing) {
    publish(5, {}, "11.1");
    script("msgbox " + GetParam() + "\n");
    auto launcher = start();
    EXPECT_EQ(exitOf(*launcher), 0);
    EXPECT_TRUE(startedNothing()) << "neither the player nor the updater";
    EXPECT_TRUE(logServer.targets().empty()) << "no report without a hand-off";
    const std::string ui = uiTrace();
    EXPECT_NE(ui.find(kFlashQuestion), std::string::npos) << ui;
    EXPECT_NE(ui.find("answer=" + GetParam() + "\n"), std::string::npos);
    EXPECT_EQ(ui.find(kInstallFailed) != std::string::npos, GetParam() == "IDYES");
    EXPECT_NE(ui.find("destroy " + splashHandle(ui) + "\n"), std::string::npos)
        << "the worker closed the splash";
}

INSTANTIATE_TEST_SUITE_P(Answers, LauncherFlashOffer, ::testing::Values("IDNO", "IDYES"),
                         [](const auto& instance) { return instance.param; });

// The movie control is tested once per start, also when an update run follows the test.
TEST_F(LauncherHandOff, TheMovieControlIsTestedOnceWhenAnUpdateRuns) {
    publish(6, {{"data/news.txt", "news of release 6"}}, "11.1");
    script("msgbox IDNO\n");
    auto launcher = start({"-c"});
    EXPECT_EQ(exitOf(*launcher), 0);
    const std::string ui = uiTrace();
    EXPECT_EQ(occurrences(ui, "\"ocxFileName:"), 1u) << ui;
    EXPECT_EQ(occurrences(ui, "\"requireVer.major:11\""), 1u);
    EXPECT_EQ(readFile(install("data/news.txt")), "news of release 6") << "the run went ahead";
}

// With an update and the control both due, the update is installed first; the installer then
// runs and the launcher ends after it, whatever the installer's exit code, starting nothing.
TEST_F(LauncherHandOff, AnInstallerThatRunsEndsTheLauncherAfterTheUpdate) {
    publish(6, {{"data/news.txt", "news of release 6"}}, "11.1");
    standIn("Plus/install_flashplayer.exe", "installer",
            "cat data/news.txt > .saw && mv .saw installer-saw", 3);
    script("msgbox IDYES\n");
    auto launcher = start();
    EXPECT_EQ(exitOf(*launcher), 0);
    EXPECT_EQ(startsOf("installer"), (Starts{Strings{}}));
    EXPECT_EQ(readFile(install("installer-saw")), "news of release 6");
    EXPECT_TRUE(startsOf("VexoClientPlay.exe").empty());
    EXPECT_TRUE(startsOf("VexoClientUpdater.exe").empty());
    EXPECT_TRUE(descendants.none()) << "nothing else was started";
    EXPECT_TRUE(logServer.targets().empty());
    EXPECT_NE(readFile(install("version.xml")).find("<update-no>6</update-no>"), std::string::npos);
}

}  // namespace
}  // namespace launcher_test
