// The player as a person's machine runs it: the real executable on the headless backend, its
// movies served over HTTP by a local server and played by the scripted movie control.
#include <httplib.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "tests/support/headless_fixture.h"
#include "tests/support/pending_launcher.h"
#include "tests/support/program_run.h"

using test_support::ProgramRun;
using test_support::readFile;
using test_support::waitUntil;
using test_support::writeFile;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

namespace {

class PlayerRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.file("movies"));
        std::filesystem::create_directories(dir.file("install"));
        writeFile(dir.file("registry.reg"), test_support::flashControlRegistry(SCRIPTMOVIE_MODULE));
        server.set_mount_point("/vexo", dir.file("movies"));
        port = server.bind_to_any_port("127.0.0.1");
        serving = std::thread([this] { server.listen_after_bind(); });
    }
    void TearDown() override {
        server.stop();
        serving.join();
    }

    void movies(const std::string& main, const std::string& play = "") {
        writeFile(dir.file("movies/client.swf"), main);
        writeFile(dir.file("movies/clientplayer.swf"), play);
    }
    std::string url() const {
        return "http://127.0.0.1:" + std::to_string(port) + "/vexo/client.swf";
    }
    std::unique_ptr<ProgramRun> start(const Strings& args, const std::string& name = "1") {
        return std::make_unique<ProgramRun>(
            VEXO_PLAYER, args, dir.file("install"),
            std::map<std::string, std::string>{
                {"VEXO_BACKEND", "headless"},
                {"VEXO_REGISTRY", dir.file("registry.reg")},
                {"VEXO_RUNTIME_DIR", dir.file("runtime")},
                {"VEXO_SCRIPTMOVIE_TRACE", dir.file("movie.trace")},
                {"VEXO_UI_TRACE", dir.file("ui" + name + ".trace")}});
    }
    // The requests the movie named `movie` got (the controls that loaded it).
    Strings callsOf(const std::string& movie) const {
        std::set<std::string> instances;
        Strings calls;
        std::istringstream in(readFile(dir.file("movie.trace")));
        for (std::string line; std::getline(in, line);) {
            const std::string instance = line.substr(0, line.find(' '));
            if (line.find(" LoadMovie 0 ") != std::string::npos &&
                line.find("/vexo/" + movie) != std::string::npos)
                instances.insert(instance);
            const auto at = line.find(" CallFunction ");
            if (at != std::string::npos && instances.contains(instance))
                calls.push_back(line.substr(at + 14));
        }
        return calls;
    }
    bool traceHas(const std::string& file, const std::string& text) const {
        return readFile(dir.file(file)).find(text) != std::string::npos;
    }

    test_support::TempDir dir;
    httplib::Server server;
    int port = 0;
    std::thread serving;
};

constexpr const char* kGetStatusFalse =
    R"(<invoke name="GetStatus" ><arguments><string>false</string></arguments></invoke>)";
constexpr const char* kGetStatusTrue =
    R"(<invoke name="GetStatus" ><arguments><string>true</string></arguments></invoke>)";

TEST_F(PlayerRunTest, PlaysTheMainMovieAndCarriesOutItsCommandsUntilClose) {
    movies(
        "after 100 fscommand loadcomplete\n"
        "after 150 fscommand GetStatus\n"
        "after 200 fscommand setarg vid=7&t=2\n"
        "after 400 fscommand Back\n"
        "after 450 fscommand GetStatus\n"
        "after 500 fscommand SendMessage to-play\n"
        "after 700 fscommand Close\n",
        "after 50 fscommand SendMessage to-main\n");
    auto player = start({url(), "-s"});
    ASSERT_TRUE(player->started());
    EXPECT_EQ(player->wait(10s), 0);

    EXPECT_EQ(
        callsOf("client.swf"),
        (Strings{
            kGetStatusFalse,
            R"(<invoke name="setvolume" ><arguments><string>vid=7&amp;t=2</string></arguments></invoke>)",
            R"(<invoke name="ReceiveMessage" ><arguments><string>to-main</string></arguments></invoke>)",
            kGetStatusTrue}));
    const Strings playCalls = callsOf("clientplayer.swf");
    ASSERT_FALSE(playCalls.empty());
    EXPECT_EQ(
        playCalls.back(),
        R"(<invoke name="ReceiveMessage" ><arguments><string>to-play</string></arguments></invoke>)");
    EXPECT_TRUE(traceHas("movie.trace", "/vexo/clientplayer.swf?vid=7&t=2"));
    // The loading window opened over the main window and closed on loadcomplete, long before
    // its 5-second deadline.
    const std::string ui = readFile(dir.file("ui1.trace"));
    EXPECT_NE(ui.find("814,469 291x102"), std::string::npos) << ui;
    EXPECT_NE(ui.find("tray add"), std::string::npos);
    EXPECT_NE(ui.find("dialogcolors 0x00000000 0x000000ff"), std::string::npos)
        << "dialogs are black with red text";
}

TEST_F(PlayerRunTest, ASecondStartExitsAndBringsTheRunningMainWindowForward) {
    movies("after 3000 fscommand Close\n");
    auto first = start({url(), "-s"});
    ASSERT_TRUE(waitUntil([&] { return traceHas("ui1.trace", "tray add"); }, 5s));
    auto second = start({url(), "-s"}, "2");
    EXPECT_TRUE(second->wait(5s).has_value()) << "the second instance must end at once";
    EXPECT_TRUE(waitUntil([&] { return callsOf("client.swf").size() >= 2; }, 5s));
    const Strings calls = callsOf("client.swf");
    EXPECT_EQ(
        calls,
        (Strings{
            R"(<invoke name="SetWindow" ><arguments><string>true</string></arguments></invoke>)",
            R"(<invoke name="SetWindow" ><arguments><string>false</string></arguments></invoke>)"}));
    EXPECT_TRUE(readFile(dir.file("ui2.trace")).empty()) << "no window in the second instance";
    EXPECT_EQ(first->wait(10s), 0);
}

TEST_F(PlayerRunTest, ABadCommandLineEndsAtOnceWithoutAWindow) {
    movies("");
    for (const Strings& args : {Strings{url(), "-S"}, Strings{url()}, Strings{}}) {
        auto player = start(args);
        EXPECT_TRUE(player->wait(5s).has_value());
        EXPECT_TRUE(readFile(dir.file("ui1.trace")).empty());
    }
}

TEST_F(PlayerRunTest, APendingLauncherIsSwappedInBeforeTheWindowsOpen) {
    movies("after 50 fscommand Close\n");
    std::filesystem::create_directories(dir.file("install/update"));
    writeFile(dir.file("install/VexoClient.exe"), "old launcher");
    test_support::stagePendingLauncher(dir.file("install/update"), "new launcher");
    auto player = start({url(), "-s"});
    EXPECT_EQ(player->wait(10s), 0);
    EXPECT_EQ(readFile(dir.file("install/VexoClient.exe")), "new launcher");
    EXPECT_FALSE(std::filesystem::exists(dir.file("install/update/VexoClient.exe")));
}

// A folder in the launcher's place stands for a launcher that stays locked: the swap fails
// even for root, and the pending launcher must survive for the next start.
TEST_F(PlayerRunTest, ALauncherThatCannotBeReplacedKeepsThePendingOneAndThePlayerStarts) {
    movies("after 50 fscommand Close\n");
    std::filesystem::create_directories(dir.file("install/update"));
    std::filesystem::create_directories(dir.file("install/VexoClient.exe/in use"));
    test_support::stagePendingLauncher(dir.file("install/update"), "new launcher");
    auto player = start({url(), "-s"});
    EXPECT_EQ(player->wait(20s), 0);
    EXPECT_TRUE(traceHas("ui1.trace", "tray add"));
    EXPECT_EQ(readFile(dir.file("install/update/VexoClient.exe")), "new launcher");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("install/VexoClient.exe/in use")));
}

}  // namespace
