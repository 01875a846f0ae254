// Hostile movies in a real window: a page that replaces what scripts usually rely on and
// answers with a reply that explodes when copied, text that tries to add structure to a
// request, and a remote movie that never ends. The control survives each and still handles a
// later call.
#include <gtest/gtest.h>

#include "flash/flash_requests.h"
#include "tests/controls/webmovie/gui_host.h"
#include "tests/controls/webmovie/loopback_server.h"
#include "tests/support/http_test_server.h"

namespace webmovie_test {
namespace {

using namespace std::chrono_literals;

// Replaces every prototype and global the page-side bridge could lean on, then answers
// GetStatus with 16 levels of shared branches: 4^16 leaves if copied as a tree.
constexpr const char* kHostilePage = R"HTML(<!DOCTYPE html><html><head><meta charset="utf-8">
</head><body style="background:#20c040"><script>
"use strict";
let branch = ["leaf"];
for (let i = 0; i < 16; i++) branch = [branch, branch, branch, branch];
const shared = branch;
const echo = (text) => { fscommand("got", text); return "r:" + text; };
external.addCallback("GetStatus", () => shared);
external.addCallback("echo", echo);
external.addCallback("typed", (...args) => args.length + ":" + typeof args[0] + typeof args[1]);
addEventListener("vexoplay", () => fscommand("played", ""));
Array.prototype.map = function () { return this; };
Array.prototype.includes = function () { return true; };
Array.prototype[Symbol.iterator] = function* () { yield "forged"; };
Object.defineProperty(Array.prototype, "1", {
  get() { return "forged"; }, set() { throw new Error("forged setter"); }, configurable: true });
Array.isArray = () => true;
Object.keys = () => { throw new Error("forged keys"); };
Object.defineProperty = () => { throw new Error("forged defineProperty"); };
Map.prototype.get = function () { return () => "forged"; };
Map.prototype.set = function () { return this; };
Function.prototype.apply = function () { return "forged"; };
Function.prototype.bind = function () { return () => "forged"; };
Function.prototype.call = function () { return true; };
Reflect.apply = () => "forged";
EventTarget.prototype.dispatchEvent = () => false;
window.String = () => "forged";
try { window.webkit = undefined; } catch (e) {}
fscommand("ready", "");
</script></body></html>)HTML";

std::string nestedArrays(int levels) {
    std::string text = "x</string>";
    for (int i = 0; i < levels; ++i) text += R"(<array><property id="0">)";
    return text;
}

class HostileMovieTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control_ = createWebMovie(site_);
        ASSERT_NE(control_, nullptr);
    }
    void loadHostilePage() {
        ASSERT_TRUE(loadMovie(*control_, pages_.url("/hostile")).ok);
        ASSERT_TRUE(runUntil([this] { return hasFsCommand(site_, {"ready", ""}); }, 60000));
    }
    // The control still answers: a call reaches the page and its reply comes back.
    void expectAnswers() {
        EXPECT_EQ(replyOf(callFunction(*control_, flash_requests::withString("echo", "later"))),
                  "<string>r:later</string>");
        EXPECT_EQ(site_.fsCommands.back(), (FsCommand{"got", "later"}));
    }

    LoopbackServer pages_{{{"/hostile", {"text/html; charset=utf-8", kHostilePage}}}};
    GuiWindow window_;
    GuiSite site_{window_.container()};
    std::unique_ptr<abi::Control> control_;
};

TEST_F(HostileMovieTest, AReplyThatExplodesWhenCopiedFailsTheCallAndTheNextCallWorks) {
    loadHostilePage();
    auto status = callFunction(*control_, flash_requests::withString("GetStatus", "false"));
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.error.find("too large"), std::string::npos) << status.error;
    expectAnswers();
}

TEST_F(HostileMovieTest, ThePageCannotReplaceWhatTheBridgeUses) {
    loadHostilePage();
    EXPECT_EQ(replyOf(callFunction(*control_, flash_requests::withString("echo", "a<b&c\"你"))),
              "<string>r:a&lt;b&amp;c&quot;你</string>");
    EXPECT_EQ(site_.fsCommands.back(), (FsCommand{"got", "a<b&c\"你"}));
    EXPECT_EQ(
        replyOf(callFunction(*control_, R"(<invoke name="typed"><arguments><string>s</string>)"
                                        R"(<number>2</number></arguments></invoke>)")),
        "<string>2:stringnumber</string>");
    EXPECT_EQ(replyOf(callFunction(*control_, R"(<invoke name="unknown"><arguments/></invoke>)")),
              "");
    ASSERT_TRUE(play(*control_).ok);
    EXPECT_TRUE(runUntil([this] { return hasFsCommand(site_, {"played", ""}); }, 10000));
}

// A movie's text that once, pasted unescaped, made the parser recurse until the stack
// overflowed: escaped by the host, it reaches the movie as the very text.
TEST_F(HostileMovieTest, InjectedStructureReachesTheMovieAsText) {
    loadHostilePage();
    const std::string hostile = nestedArrays(100000);
    const std::string escaped = flash_requests::withString("echo", hostile);
    EXPECT_TRUE(callFunction(*control_, escaped).ok);
    EXPECT_TRUE(site_.fsCommands.back() == (FsCommand{"got", hostile})) << "not the very text";
    const std::string pasted =
        R"(<invoke name="echo" ><arguments><string>)" + hostile + "</string></arguments></invoke>";
    EXPECT_FALSE(callFunction(*control_, pasted).ok);
    expectAnswers();
}

TEST_F(HostileMovieTest, AnEndlessRemoteMovieFailsToLoadAndTheControlGoesOn) {
    test_support::RawHttpServer endless(
        "HTTP/1.1 200 OK\r\nContent-Type: application/x-shockwave-flash\r\n"
        "Connection: close\r\n\r\nFWS",
        0ms, {std::string(64 * 1024, '\0'), SIZE_MAX, 0ms});
    ASSERT_TRUE(setBackground(*control_, 0x3366CC).ok);
    ASSERT_TRUE(
        loadMovie(*control_, "http://127.0.0.1:" + std::to_string(endless.port()) + "/m.swf").ok);
    // The control gives up at its size bound and drops the connection.
    ASSERT_TRUE(runUntil([&] { return endless.answered() == 1; }, 120000));
    EXPECT_TRUE(runUntil([&] { return window_.pixel(kWidth / 2, kHeight / 2) == 0x3366CC; }, 10000))
        << std::hex << window_.pixel(kWidth / 2, kHeight / 2);
    loadHostilePage();
    expectAnswers();
}

}  // namespace
}  // namespace webmovie_test
