// The administrator's settings file: self-update turned off, on, and mistyped.
#include <filesystem>

#include "tests/launcher/launcher_fixture.h"

namespace launcher_test {
namespace {

using test_support::readFile;
using test_support::writeFile;

using LauncherSettings = LauncherTest;

constexpr const char* kOffLine = "self-update is off (";

TEST_F(LauncherSettings, SelfUpdateOffSkipsTheCheckWithOneConsoleLineAndStartsThePlayer) {
    publish(6, {{"welcome.swf", "# the splash of release 6\n"}});
    writeFile(dir.file("settings"), "# the administrator's\n  self-update = off\n");
    extraEnv["VEXO_SYSTEM_SETTINGS"] = dir.file("settings");
    stdoutName = "console.txt";
    auto launcher = start({"-c"});
    ASSERT_TRUE(waitForStart("VexoClientPlay.exe"));
    EXPECT_EQ(exitOf(*launcher), 0);
    EXPECT_EQ(startsOf("VexoClientPlay.exe"), (Starts{{url(), "-s", "-c"}}));
    EXPECT_TRUE(startsOf("VexoClientUpdater.exe").empty());
    EXPECT_TRUE(updateServer.targets().empty()) << "no manifest fetched";
    EXPECT_EQ(logServer.targets().size(), 1u) << "the start report still goes";
    const std::string console = readFile(dir.file("console.txt"));
    EXPECT_EQ(occurrences(console, kOffLine + dir.file("settings") + "): no update check"), 1u)
        << console;
    EXPECT_NE(readFile(install("version.xml")).find("<update-no>5</update-no>"), std::string::npos);
}

// "on", a mistyped value and a file that cannot be read all leave the update check in place.
TEST_F(LauncherSettings, AnythingButAnOffValueKeepsTheUpdateCheck) {
    for (const std::string settings : {"self-update = on\n", "self-update = of\n", ""}) {
        writeFile(dir.file("settings"), settings);
        if (settings.empty()) std::filesystem::remove(dir.file("settings"));
        extraEnv["VEXO_SYSTEM_SETTINGS"] = dir.file("settings");
        stdoutName = "console.txt";
        auto launcher = start({"-c"});
        EXPECT_EQ(exitOf(*launcher), 0);
        EXPECT_EQ(readFile(dir.file("console.txt")).find(kOffLine), std::string::npos);
        EXPECT_EQ(updateServer.targets().back(), "/vexo/version.xml") << settings;
    }
}

}  // namespace
}  // namespace launcher_test
