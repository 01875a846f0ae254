// An SWF movie, written by the test, played by Ruffle in a real window: FSCommand events,
// ExternalInterface callbacks through CallFunction, re-entrancy and the stage on screen.
#include <gtest/gtest.h>

#include "tests/controls/webmovie/gui_host.h"
#include "tests/controls/webmovie/swf_writer.h"

namespace webmovie_test {
namespace {

constexpr std::uint32_t kStage = 0x3060C0;

// ExternalInterface.addCallback(name, null, function (a) { fscommand(command, a);
// return prefix + a; })
void addEchoCallback(Avm1& code, const std::string& name, const std::string& command,
                     const std::string& prefix) {
    Avm1 body;
    body.pushString("FSCommand:" + command).pushString("a").getVariable().getUrl2();
    body.pushString(prefix).pushString("a").getVariable().add2().ret();
    code.defineFunction({"a"}, body).pushNull().pushString(name).pushInt(3);
    code.pushExternalInterface().pushString("addCallback").callMethod().pop();
}

std::string testMovie() {
    Avm1 code;
    addEchoCallback(code, "echo", "got", "r:");
    addEchoCallback(code, "twice", "again", "t:");
    code.getUrl("FSCommand:ready", "你好 & <swf>");
    return writeSwf(kStage, code);
}

std::string request(const std::string& name, const std::string& argument) {
    return "<invoke name=\"" + name + "\" returntype=\"xml\"><arguments><string>" + argument +
           "</string></arguments></invoke>";
}

class SwfMovieTest : public ::testing::Test {
  protected:
    void load(const std::string& location) {
        CreateControl create = moduleEntry();
        ASSERT_NE(create, nullptr);
        control_.reset(create(abi::kAbiVersion, kFlashClsid, &site_));
        ASSERT_NE(control_, nullptr);
        ASSERT_TRUE(loadMovie(*control_, location).ok);
        // Ruffle compiles its 14 MB of WebAssembly first.
        ASSERT_TRUE(runUntil([this] { return !site_.fsCommands.empty(); }, 60000))
            << "the movie never raised its ready command";
    }

    TempDir dir_;
    GuiWindow window_;
    GuiSite site_{window_.container()};
    std::unique_ptr<abi::Control> control_;
};

TEST_F(SwfMovieTest, RoundTripsThroughRuffle) {
    load(dir_.write("movie.bin", testMovie()) + "?mode=test");  // the content, not the name
    EXPECT_EQ(site_.fsCommands.front(), (FsCommand{"ready", "你好 & <swf>"}));
    EXPECT_EQ(replyOf(callFunction(*control_, request("echo", "你好 a<b"))),
              "<string>r:你好 a&lt;b</string>");
    EXPECT_TRUE(hasFsCommand(site_, {"got", "你好 a<b"})) << "raised inside the callback";
    EXPECT_EQ(replyOf(callFunction(*control_, request("notRegistered", "x"))), "");
    EXPECT_FALSE(callFunction(*control_, "<invoke name=\"echo\">").ok);
}

TEST_F(SwfMovieTest, AHandlerMayCallBackIntoTheMovie) {
    load(dir_.write("movie.swf", testMovie()));
    std::vector<std::string> innerReplies;
    site_.onFsCommand = [&](const FsCommand& event) {
        if (event.first != "again") return;
        innerReplies.push_back(replyOf(callFunction(*control_, request("echo", event.second))));
    };
    EXPECT_EQ(replyOf(callFunction(*control_, request("twice", "n1"))), "<string>t:n1</string>");
    EXPECT_EQ(innerReplies, (std::vector<std::string>{"<string>r:n1</string>"}));
    EXPECT_TRUE(hasFsCommand(site_, {"got", "n1"}));
}

TEST_F(SwfMovieTest, TheWindowShowsTheStage) {
    load(dir_.write("movie.swf", testMovie()));
    EXPECT_TRUE(runUntil([&] { return window_.pixel(kWidth / 2, kHeight / 2) == kStage; }, 10000))
        << std::hex << window_.pixel(kWidth / 2, kHeight / 2);
    EXPECT_EQ(window_.pixel(5, 5), kStage);
}

}  // namespace
}  // namespace webmovie_test
