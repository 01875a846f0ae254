// A remote SWF movie loads its pieces from its own server, relative and absolute, and from other
// servers as their cross-domain policies allow, through servers that send no CORS headers.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "tests/controls/webmovie/gui_host.h"
#include "tests/controls/webmovie/loopback_server.h"
#include "tests/controls/webmovie/swf_writer.h"
#include "tests/controls/webmovie/test_videos.h"

namespace webmovie_test {
namespace {

constexpr std::uint32_t kImageColour = 0x20C040;

// var <name> = new LoadVars(); <name>.onLoad = function (ok) { fscommand(tag, ok + ":" +
// this.value); }; <name>.load(url);
void loadVariables(Avm1& code, const std::string& url, const std::string& tag) {
    const std::string name = "vars_" + tag;
    Avm1 onLoad;
    onLoad.pushString("FSCommand:" + tag).pushString("ok").getVariable().pushString(":").add2();
    onLoad.pushString("this").getVariable().pushString("value").getMember().add2().getUrl2();
    code.pushString(name).pushInt(0).pushString("LoadVars").newObject().setVariable();
    code.pushString(name).getVariable().pushString("onLoad").defineFunction({"ok"}, onLoad);
    code.setMember();
    code.pushString(url).pushInt(1).pushString(name).getVariable().pushString("load");
    code.callMethod().pop();
}

std::string childSwf() {
    Avm1 code;
    code.getUrl("FSCommand:child", "running");
    return writeSwf(0x000000, code);
}

// A PNG of the whole stage in one colour.
std::string stagePng(std::uint32_t rgb) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, kWidth, kHeight);
    gdk_pixbuf_fill(pixbuf, (rgb << 8) | 0xFF);
    gchar* buffer = nullptr;
    gsize size = 0;
    gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "png", nullptr, nullptr);
    std::string bytes(buffer, size);
    g_free(buffer);
    g_object_unref(pixbuf);
    return bytes;
}

// A 10 s FLV of one colour, encoded by ffmpeg with `codec`; "" when ffmpeg fails.
std::string solidFlv(const TempDir& dir, std::uint32_t rgb, const std::string& codec) {
    char colour[48];
    std::snprintf(colour, sizeof colour, "color=c=0x%06X:s=320x240:d=10:r=24", rgb);
    return ffmpegVideo(dir.path(), "clip-" + codec + ".flv",
                       {"-f", "lavfi", "-i", colour, "-c:v", codec, "-pix_fmt",
                        codec == "flashsv" ? "bgr24" : "yuv420p", "-an"});
}

std::string policy(const std::string& domains) {
    return "<?xml version=\"1.0\"?><cross-domain-policy>" + domains + "</cross-domain-policy>";
}

LoopbackServer::Body text(const std::string& bytes) { return {"text/plain", bytes}; }

class RemoteSwfLoadsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control_ = createWebMovie(site_);
        ASSERT_NE(control_, nullptr);
        ASSERT_TRUE(setBackground(*control_, 0x3366CC).ok);
    }
    // Plays `code` as /m/client.swf of the movie's server and waits for the FSCommands `tags`.
    void play(const Avm1& code, const std::vector<std::string>& tags) {
        own_.put("/m/client.swf", {"application/x-shockwave-flash", writeSwf(0x3060C0, code)});
        ASSERT_TRUE(loadMovie(*control_, own_.url("/m/client.swf")).ok);
        ASSERT_TRUE(runUntil(
            [&] {
                return std::all_of(tags.begin(), tags.end(),
                                   [&](auto& tag) { return !answer(tag).empty(); });
            },
            60000))
            << "answered: " << site_.fsCommands.size();
    }
    // The arguments of the FSCommand `tag`, or "" before it came.
    std::string answer(const std::string& tag) const {
        for (const auto& [command, args] : site_.fsCommands) {
            if (command == tag) return args.empty() ? "<empty>" : args;
        }
        return {};
    }

    LoopbackServer permissive_{{
        {"/crossdomain.xml",
         {"text/xml", policy("<allow-access-from domain=\"*.example.com\"/>"
                             "<allow-access-from domain=\"127.0.0.1\"/>")}},
        {"/data.txt", text("value=fromPermissive")},
        {"/more.txt", text("value=more")},
        {"/page.html", {"text/html", "<h1>elsewhere</h1>"}},
    }};
    LoopbackServer otherDomain_{{
        {"/crossdomain.xml",
         {"text/x-cross-domain-policy", policy("<allow-access-from domain=\"*.example.com\"/>")}},
        {"/data.txt", text("value=leaked")},
    }};
    LoopbackServer noPolicy_{{{"/data.txt", text("value=leaked")}}};
    LoopbackServer own_{{
        {"/m/child.swf", {"application/x-shockwave-flash", childSwf()}},
        {"/m/vars.txt", text("value=hello%20there&other=1")},
        {"/m/moved.txt", {"text/plain", "", "/m/vars.txt"}},
        {"/m/pic.png", {"image/png", stagePng(kImageColour)}},
        {"/m/away.txt", {"text/plain", "", noPolicy_.url("/data.txt")}},
    }};
    GuiWindow window_;
    GuiSite site_{window_.container()};
    std::unique_ptr<abi::Control> control_;
};

TEST_F(RemoteSwfLoadsTest, TheMovieLoadsItsPiecesFromBesideItself) {
    Avm1 code;
    code.getUrl("child.swf", "_level1");
    loadVariables(code, "vars.txt", "relative");
    loadVariables(code, own_.url("/m/vars.txt"), "absolute");
    loadVariables(code, "/m/moved.txt", "redirected");
    loadVariables(code, "missing.txt", "missing");
    code.getUrl("pic.png", "_level2");
    play(code, {"child", "relative", "absolute", "redirected", "missing"});

    EXPECT_EQ(answer("child"), "running");
    EXPECT_TRUE(own_.wasAskedFor("/m/child.swf"));
    EXPECT_EQ(answer("relative"), "true:hello there");
    EXPECT_EQ(answer("absolute"), "true:hello there");
    EXPECT_EQ(answer("redirected"), "true:hello there");
    EXPECT_EQ(answer("missing"), "false:undefined");
    EXPECT_TRUE(runUntil([&] { return window_.pixel(10, 10) == kImageColour; }, 30000))
        << std::hex << window_.pixel(10, 10);
}

TEST_F(RemoteSwfLoadsTest, OtherServersAnswerOnlyWhenTheirPolicyAllowsTheMovie) {
    Avm1 code;
    loadVariables(code, permissive_.url("/data.txt"), "permitted");
    loadVariables(code, permissive_.url("/more.txt"), "again");
    loadVariables(code, otherDomain_.url("/data.txt"), "otherDomain");
    loadVariables(code, noPolicy_.url("/data.txt"), "noPolicy");
    loadVariables(code, "away.txt", "redirectedAway");
    play(code, {"permitted", "again", "otherDomain", "noPolicy", "redirectedAway"});

    EXPECT_EQ(answer("permitted"), "true:fromPermissive");
    EXPECT_EQ(answer("again"), "true:more");
    auto asked = permissive_.requests();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/crossdomain.xml"), 1) << "once per server";
    EXPECT_EQ(answer("otherDomain"), "false:undefined");
    EXPECT_EQ(answer("noPolicy"), "false:undefined");
    EXPECT_EQ(answer("redirectedAway"), "false:undefined");
    EXPECT_TRUE(otherDomain_.wasAskedFor("/crossdomain.xml"));
    EXPECT_FALSE(otherDomain_.wasAskedFor("/data.txt")) << "a refused load is never sent";
    EXPECT_FALSE(noPolicy_.wasAskedFor("/data.txt"));
}

// The codecs Flash played in FLV files that ffmpeg can write; the bundled player decodes these.
class RemoteSwfVideoTest : public RemoteSwfLoadsTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(RemoteSwfVideoTest, AProgressiveVideoPlaysFromTheMoviesServer) {
    constexpr std::uint32_t kVideoColour = 0xC02040;
    TempDir dir;
    std::string flv = solidFlv(dir, kVideoColour, GetParam());
    ASSERT_FALSE(flv.empty()) << "ffmpeg could not write " << GetParam();
    own_.put("/m/clip.flv", {"video/x-flv", flv});
    own_.put("/m/client.swf", {"application/x-shockwave-flash",
                               writeSwfWithVideo(0x3060C0, videoScript("clip.flv"), "screen")});
    ASSERT_TRUE(loadMovie(*control_, own_.url("/m/client.swf")).ok);
    EXPECT_TRUE(runUntil(
        [&] {
            return hasFsCommand(site_, {"video", "NetStream.Play.Start"});
        },
        60000));
    EXPECT_TRUE(
        runUntil([&] { return near(window_.pixel(kWidth / 2, kHeight / 2), kVideoColour); }, 30000))
        << GetParam() << ": " << std::hex << window_.pixel(kWidth / 2, kHeight / 2);
    EXPECT_TRUE(own_.wasAskedFor("/m/clip.flv"));
}

INSTANTIATE_TEST_SUITE_P(Codecs, RemoteSwfVideoTest,
                         ::testing::Values("flv1", "flashsv", "libx264"));

// Ruffle rewrites links as it rewrites loads: a link to another server must still not show that
// server's page as the movie.
TEST_F(RemoteSwfLoadsTest, TheMovieCannotTakeTheWindowToAnotherServer) {
    Avm1 code;
    code.getUrl(permissive_.url("/page.html"), "_self");
    code.getUrl(own_.url("/m/vars.txt"), "_self");
    loadVariables(code, "vars.txt", "after");
    play(code, {"after"});
    runFor(500);
    EXPECT_FALSE(permissive_.wasAskedFor("/page.html"));
    EXPECT_EQ(replyOf(callFunction(*control_, R"(<invoke name="none"/>)")), "")
        << "the movie's page still answers";
}

}  // namespace
}  // namespace webmovie_test
