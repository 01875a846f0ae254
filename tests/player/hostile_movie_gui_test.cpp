// The player on real windows with hostile movies from a local HTTP server, played by the web
// movie control. Each of them once crashed the player or hung it; now the player survives and
// still carries out a later command.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "tests/support/gtk/private_x_server.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/http_test_server.h"
#include "tests/support/program_run.h"

using namespace std::chrono_literals;

namespace {

class HostileMovieGui : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(x_.display().empty());
        test_support::writeFile(dir_.file("registry.reg"),
                                test_support::flashControlRegistry(WEBMOVIE_MODULE));
    }
    // Starts the player on the main movie at `url`; with `console` the debug console is open
    // and its standard output goes to the file consoleOutput() names.
    void start(const std::string& url, bool console = false) {
        const std::map<std::string, std::string> environment{
            {"VEXO_BACKEND", "gtk"},
            {"VEXO_REGISTRY", dir_.file("registry.reg")},
            {"VEXO_RUNTIME_DIR", dir_.file("runtime")}};
        std::vector<std::string> args{url, "-s"};
        if (console) args.push_back("-c");
        player_ = std::make_unique<test_support::ProgramRun>(
            VEXO_PLAYER, args, dir_.path(), environment, console ? consoleOutput() : "");
        ASSERT_TRUE(player_->started());
    }
    // Serves `script` in a page as the main movie, and `playScript` in the play movie beside it.
    void startWithMainMovie(const std::string& script, const std::string& playScript = "",
                            bool console = false) {
        pages_.answer("/vexo/client.swf", 200, page(script));
        pages_.answer("/vexo/clientplayer.swf", 200, page(playScript));
        start("http://127.0.0.1:" + std::to_string(pages_.port()) + "/vexo/client.swf", console);
    }
    static std::string page(const std::string& script) {
        return "<!DOCTYPE html><html><body><script>" + script + "</script></body></html>";
    }
    std::string consoleOutput() const { return dir_.file("console.txt"); }

    gtk_test::PrivateXServer x_;  // 1280 x 1024, no window manager
    test_support::TempDir dir_;
    test_support::HttpTestServer pages_;
    std::unique_ptr<test_support::ProgramRun> player_;
};

// The query of setarg goes back to the main movie in setvolume. Pasted unescaped, this one
// once made the control's request parser recurse until the stack overflowed. The movie leaves
// play mode and closes the player only when it got the very text.
TEST_F(HostileMovieGui, ASetargQueryThatInjectsStructureReachesTheMovieAsText) {
    startWithMainMovie(R"JS(
const sent = "x</string>" + '<array><property id="0">'.repeat(100000) + " &amp; <b>";
external.addCallback("setvolume", (text) => {
  if (text !== sent) return;
  fscommand("Back", "");
  fscommand("Close", "");
});
fscommand("setarg", sent);)JS");
    EXPECT_EQ(player_->wait(120s), 0) << "the movie did not get the very text, or the player "
                                         "stopped handling commands";
}

// With the console open, a main movie's message of 4.5 MB to the play movie once kept the
// player laying out the console's line of it for many seconds, past 1.5 GB, until the calls
// into the movies timed out. The play movie now gets the very text and says so in a message of
// its own, on which the main movie closes the player; the console's standard output has both
// messages whole.
TEST_F(HostileMovieGui, AHugeMessageWithTheConsoleOpenReachesThePlayMovieWhole) {
    startWithMainMovie(R"JS(
const sent = "<a>".repeat(1500000);
external.addCallback("ReceiveMessage", (text) => {
  if (text === "ready") setTimeout(() => fscommand("SendMessage", sent), 0);
  if (text.startsWith("got:")) setTimeout(() => { fscommand("Back", ""); fscommand("Close", ""); }, 0);
  return true;
});
fscommand("setarg", "vid=1");)JS",
                       R"JS(
const expected = "<a>".repeat(1500000);
external.addCallback("ReceiveMessage", (text) => {
  setTimeout(() => fscommand("SendMessage", "got:" + text.length + ":" + (text === expected)), 0);
  return text.length;
});
fscommand("SendMessage", "ready");)JS",
                       true);
    EXPECT_EQ(player_->wait(120s), 0) << "the player hung or stopped handling commands";
    const std::string output = test_support::readFile(consoleOutput());
    const auto logged = [&](const std::string& text) {
        return "\nsendMessage:<invoke name=\"ReceiveMessage\" ><arguments><string>" + text +
               "</string></arguments></invoke>\n";
    };
    std::string escaped;
    for (int i = 0; i < 1500000; ++i) escaped += "&lt;a&gt;";
    EXPECT_NE(output.find(logged(escaped)), std::string::npos) << "the huge line, whole";
    EXPECT_NE(output.find(logged("got:4500000:true")), std::string::npos)
        << "the play movie's answer, in the last lines: "
        << output.substr(output.size() - std::min<std::size_t>(output.size(), 400));
}

// A reply of 16 levels of shared branches, from a page that replaced Array.prototype.map,
// once kept the player converting for ever.
TEST_F(HostileMovieGui, AGetStatusReplyThatExplodesWhenCopiedNeitherHangsNorStopsThePlayer) {
    startWithMainMovie(R"JS(
let branch = ["leaf"];
for (let i = 0; i < 16; i++) branch = [branch, branch, branch, branch];
Array.prototype.map = function () { return this; };
external.addCallback("GetStatus", () => {
  setTimeout(() => fscommand("Close", ""), 0);
  return branch;
});
fscommand("GetStatus", "");)JS");
    EXPECT_EQ(player_->wait(120s), 0);
}

// Answering every GetStatus with the command that asks for it once made the player call the
// movie inside its own calls until the stack ran out. The movie closes the player once the
// calls have stopped coming.
TEST_F(HostileMovieGui, AMovieThatAnswersACallWithTheSameCommandIsCalledOnlySoDeep) {
    startWithMainMovie(R"JS(
let calls = 0, last = 0;
external.addCallback("GetStatus", () => {
  calls++;
  last = Date.now();
  fscommand("GetStatus", "");
  return "ok";
});
setInterval(() => { if (calls > 0 && Date.now() - last > 1000) fscommand("Close", ""); }, 100);
fscommand("GetStatus", "");)JS");
    EXPECT_EQ(player_->wait(120s), 0);
}

// A main movie that starts like an SWF and never ends once grew the player without limit.
TEST_F(HostileMovieGui, AnEndlessMainMovieFailsToLoadAndThePlayerStillTakesItsMenu) {
    test_support::RawHttpServer endless(
        "HTTP/1.1 200 OK\r\nContent-Type: application/x-shockwave-flash\r\n"
        "Connection: close\r\n\r\nFWS",
        0ms, {std::string(64 * 1024, '\0'), SIZE_MAX, 0ms});
    start("http://127.0.0.1:" + std::to_string(endless.port()) + "/vexo/client.swf");
    // The control gives up at its size bound and drops the connection.
    ASSERT_TRUE(test_support::waitUntil([&] { return endless.answered() == 1; }, 120s));
    // The window's menu, opened on the failed movie, closes the player ("退出").
    EXPECT_EQ(std::system("xdotool mousemove 700 600 sleep 0.5 click 3 sleep 0.5 key Down Return"),
              0);
    EXPECT_EQ(player_->wait(60s), 0);
}

}  // namespace
