// Movies from an HTTP server on the loopback address: the content, not the name or the
// Content-Type, decides how a movie plays.
#include <gtest/gtest.h>

#include "tests/controls/webmovie/gui_host.h"
#include "tests/controls/webmovie/loopback_server.h"
#include "tests/controls/webmovie/swf_writer.h"

namespace webmovie_test {
namespace {

constexpr const char* kPage = R"HTML(<!DOCTYPE html><html><head><meta charset="utf-8"></head>
<body style="background:#20c040"><script>
vexo.addCallback("echo", (a) => { fscommand("got", a); return "r:" + a; });
fscommand("ready", "你好 & <swf>");
</script></body></html>)HTML";

// fscommand("vars", mode)
std::string varsSwf() {
    Avm1 code;
    code.pushString("FSCommand:vars").pushString("mode").getVariable().getUrl2();
    return writeSwf(0x3060C0, code);
}

constexpr const char* kEcho =
    R"(<invoke name="echo" returntype="xml"><arguments><string>a<b 你</string></arguments></invoke>)";

class RemoteMovieTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control_ = createWebMovie(site_);
        ASSERT_NE(control_, nullptr);
        ASSERT_TRUE(setBackground(*control_, 0x3366CC).ok);
    }
    // Loads the movie at `path` and expects it to answer as the echo movies do.
    void expectEchoMovie(const std::string& path) {
        ASSERT_TRUE(loadMovie(*control_, server_.url(path)).ok);
        ASSERT_TRUE(runUntil([this] { return !site_.fsCommands.empty(); }, 60000)) << path;
        EXPECT_EQ(site_.fsCommands.front(), (FsCommand{"ready", "你好 & <swf>"}));
        EXPECT_EQ(replyOf(callFunction(*control_, kEcho)), "<string>r:a&lt;b 你</string>");
        EXPECT_TRUE(hasFsCommand(site_, {"got", "a<b 你"}));
    }

    LoopbackServer server_{{
        {"/page", {"text/html; charset=utf-8", kPage}},
        {"/movie", {"application/octet-stream", echoSwf(0x3060C0)}},
        {"/page.swf", {"application/x-shockwave-flash", kPage}},
        {"/vars.swf", {"application/x-shockwave-flash", varsSwf()}},
    }};
    GuiWindow window_;
    GuiSite site_{window_.container()};
    std::unique_ptr<abi::Control> control_;
};

TEST_F(RemoteMovieTest, ARemotePageGetsTheMovieApi) { expectEchoMovie("/page?lang=zh"); }

TEST_F(RemoteMovieTest, ARemoteSwfPlaysInRuffle) { expectEchoMovie("/movie"); }

TEST_F(RemoteMovieTest, APageNamedAndTypedAsSwfStillPlaysAsAPage) { expectEchoMovie("/page.swf"); }

// Played from memory, the movie still gets the query of the URL it came from, as in Flash.
TEST_F(RemoteMovieTest, TheQueryOfARemoteSwfReachesItAsVariables) {
    ASSERT_TRUE(loadMovie(*control_, server_.url("/vars.swf?mode=query%20v%E4%BD%A0&x=1#f")).ok);
    ASSERT_TRUE(runUntil([this] { return !site_.fsCommands.empty(); }, 60000));
    EXPECT_EQ(site_.fsCommands.front(), (FsCommand{"vars", "query v你"}));
}

TEST_F(RemoteMovieTest, AnHttpErrorLeavesTheBackground) {
    ASSERT_TRUE(loadMovie(*control_, server_.url("/missing")).ok);
    EXPECT_TRUE(runUntil([&] { return window_.pixel(kWidth / 2, kHeight / 2) == 0x3366CC; }, 10000))
        << std::hex << window_.pixel(kWidth / 2, kHeight / 2);
    runFor(300);
    EXPECT_EQ(window_.pixel(kWidth / 2, kHeight / 2), 0x3366CCu) << "no error page may follow";
}

}  // namespace
}  // namespace webmovie_test
