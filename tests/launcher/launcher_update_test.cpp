// The whole hand-off of an update that brings a new launcher: the installed launcher downloads
// it, the real updater swaps it in and starts the player with the launcher's parameters.
#include <filesystem>

#include "tests/launcher/launcher_fixture.h"

namespace launcher_test {
namespace {

namespace fs = std::filesystem;
using test_support::readFile;

using LauncherUpdate = LauncherTest;

// The update server's path holds a blank, so the movie URL does too: it must reach the player
// as one argument through both hand-offs.
TEST_F(LauncherUpdate, TheUpdaterSwapsInTheNewLauncherAndStartsThePlayerWithTheSameArguments) {
    const std::string newLauncher = "#!/bin/sh\necho the launcher of release 6\n";
    configure("/vexo dir/");
    publish(6, {{"VexoClient.exe", newLauncher}, {"welcome.swf", "# the splash of release 6\n"}});
    copyIn(VEXO_LAUNCHER, "VexoClient.exe");
    copyIn(VEXO_UPDATER, "VexoClientUpdater.exe");
    standIn("VexoClientPlay.exe", "VexoClientPlay.exe",
            "cp VexoClient.exe .seen && mv .seen launcher-seen");
    auto launcher = start({"-c"}, "ui.trace", install("VexoClient.exe"));
    ASSERT_TRUE(waitForStart("VexoClientPlay.exe"));
    EXPECT_EQ(exitOf(*launcher), 0);

    EXPECT_EQ(url(),
              "http://127.0.0.1:" + std::to_string(updateServer.port()) + "/vexo dir/client.swf");
    EXPECT_EQ(startsOf("VexoClientPlay.exe"), (Starts{{url(), "-s", "-c"}}));
    EXPECT_EQ(readFile(install("launcher-seen")), newLauncher)
        << "the player found the new launcher in place";
    EXPECT_EQ(fs::status(install("VexoClient.exe")).permissions() & fs::perms::owner_exec,
              fs::perms::owner_exec);
    EXPECT_FALSE(fs::exists(install("update/VexoClient.exe")));
    EXPECT_EQ(readFile(install("welcome.swf")), "# the splash of release 6\n");
    EXPECT_NE(readFile(install("version.xml")).find("<update-no>6</update-no>"), std::string::npos);
    EXPECT_EQ(updateServer.targets(),
              (Strings{"/vexo%20dir/version.xml", "/vexo%20dir/VexoClient.exe",
                       "/vexo%20dir/welcome.swf"}));
    EXPECT_EQ(logServer.targets().size(), 1u);
}

// "update" is a file, so the run has no folder to download into: the user is told, nothing is
// installed, and the updater takes over as after any update run.
TEST_F(LauncherUpdate, AnUpdateFolderThatCannotBeMadeIsToldAndTheUpdaterStillTakesOver) {
    publish(6, {{"welcome.swf", "# the splash of release 6\n"}});
    test_support::writeFile(install("update"), "not a folder");
    auto launcher = start();
    ASSERT_TRUE(waitForStart("VexoClientUpdater.exe"));
    EXPECT_EQ(exitOf(*launcher), 0);

    const std::string ui = uiTrace();
    EXPECT_EQ(occurrences(ui, "text=\"创建目录失败，请重新运行程序试试!\" answer=IDOK"), 1u) << ui;
    EXPECT_EQ(occurrences(ui, "msgbox "), 1u) << "no other box";
    EXPECT_EQ(readFile(install("update")), "not a folder");
    EXPECT_NE(readFile(install("welcome.swf")), "# the splash of release 6\n");
    EXPECT_EQ(updateServer.targets(), Strings{"/vexo/version.xml"}) << "nothing downloaded";
    EXPECT_TRUE(startsOf("VexoClientPlay.exe").empty());
}

}  // namespace
}  // namespace launcher_test
