// An SWF movie, written by the test, played by Ruffle in a real window: FSCommand events,
// ExternalInterface callbacks through CallFunction, re-entrancy and the stage on screen.
#include <gtest/gtest.h>

#include "tests/controls/webmovie/gui_host.h"
#include "tests/controls/webmovie/swf_writer.h"

namespace webmovie_test {
namespace {


std::string request(const std::string& name, const std::string& argument) {
    return "<invoke name=\"" + name + "\" returntype=\"xml\"><arguments><string>" + argument +
           "</string></arguments></invoke>";
}

class SwfMovieTest : public ::testing::Test {
  protected:
    void load(const std::string& location, std::int32_t background = -1) {
        control_ = createWebMovie(site_);
        ASSERT_NE(control_, nullptr);
        ASSERT_TRUE(setBackground(*control_, background).ok);
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
    load(dir_.write("movie.bin", echoSwf(kStage)) + "?mode=test");  // the content, not the name
    EXPECT_EQ(site_.fsCommands.front(), (FsCommand{"ready", "你好 & <swf>"}));
    EXPECT_EQ(replyOf(callFunction(*control_, request("echo", "你好 a<b"))),
              "<string>r:你好 a&lt;b</string>");
    EXPECT_TRUE(hasFsCommand(site_, {"got", "你好 a<b"})) << "raised inside the callback";
    EXPECT_EQ(replyOf(callFunction(*control_, request("notRegistered", "x"))), "");
    EXPECT_FALSE(callFunction(*control_, "<invoke name=\"echo\">").ok);
}

TEST_F(SwfMovieTest, AHandlerMayCallBackIntoTheMovie) {
    load(dir_.write("movie.swf", echoSwf(kStage)));
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
    load(dir_.write("movie.swf", echoSwf(kStage)));
    EXPECT_TRUE(runUntil([&] { return window_.pixel(kWidth / 2, kHeight / 2) == kStage; }, 10000))
        << std::hex << window_.pixel(kWidth / 2, kHeight / 2);
    EXPECT_EQ(window_.pixel(5, 5), kStage);
}

TEST_F(SwfMovieTest, TheStageColourFillsAroundAScaledStage) {
    Avm1 code;
    code.getUrl("FSCommand:ready", "");
    load(dir_.write("narrow.swf", writeSwf(kStage, code, kWidth / 2, kHeight)));
    EXPECT_TRUE(runUntil([&] { return window_.pixel(kWidth / 2, kHeight / 2) == kStage; }, 10000));
    EXPECT_EQ(window_.pixel(5, kHeight / 2), kStage) << "no black letterbox bars, as in Flash";
    EXPECT_EQ(window_.pixel(kWidth - 5, kHeight / 2), kStage);
}

TEST_F(SwfMovieTest, BackgroundColorReplacesTheStageColour) {
    load(dir_.write("movie.swf", echoSwf(kStage)), 0x804020);
    EXPECT_TRUE(runUntil([&] { return window_.pixel(kWidth / 2, kHeight / 2) == 0x804020; }, 10000))
        << std::hex << window_.pixel(kWidth / 2, kHeight / 2);
}

TEST_F(SwfMovieTest, TheQueryReachesTheMovieAsVariables) {
    Avm1 code;  // fscommand("vars", mode)
    code.pushString("FSCommand:vars").pushString("mode").getVariable().getUrl2();
    load(dir_.write("vars.swf", writeSwf(kStage, code)) + "?mode=query%20v%E4%BD%A0&x=1");
    EXPECT_EQ(site_.fsCommands.front(), (FsCommand{"vars", "query v你"}));
}

}  // namespace
}  // namespace webmovie_test
