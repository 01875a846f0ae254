// An HTML movie in a real window: FSCommand events, CallFunction round trips with the requests
// the hosting programs send, re-entrancy, Play and what the screen shows.
#include <gtest/gtest.h>

#include "tests/controls/webmovie/gui_host.h"

namespace webmovie_test {
namespace {

// Every callback reports the arguments it got as an FSCommand before it returns.
constexpr const char* kMovie = R"HTML(<!DOCTYPE html>
<html><head><meta charset="utf-8"><style>
html, body { margin: 0; height: 100%; background: #20c040; }
#box { position: absolute; left: 0; top: 0; width: 50%; height: 50%; background: #e01010; }
</style></head><body><div id="box"></div><script>
function report(name, args) { fscommand("called", name + " " + JSON.stringify(args)); }
function register(name, fn) {
  external.addCallback(name, function (...args) { report(name, args); return fn(...args); });
}
register("videoStop", () => undefined);
register("SetWindow", (shown) => shown === "true");
register("sendKeyCode", (code) => Number(code) === 13);
register("ReceiveMessage", (text) => text);
register("setvolume", (volume) => Number(volume) / 100 + 1);
register("typed", (...args) => args.map((a) => a === undefined ? "undefined" : typeof a));
vexo.addCallback("echo", (text) => "echo:" + text);
vexo.addCallback("nested", (text) => { fscommand("inner", text); return "outer:" + text; });
external.addCallback("fails", () => { throw new Error("broken movie"); });
external.addCallback("odd", () => [() => 1, document.body, { s: "x", f: () => 2 }, 7]);
external.addCallback("quit", () => { fscommand("quit", ""); return "bye"; });
external.addCallback("stall", () => { const end = Date.now() + 7000; while (Date.now() < end) {} });
addEventListener("vexoplay", () => fscommand("played", ""));
fscommand("ready", "你好，世界 & <ok> \"q\"");
</script></body></html>
)HTML";

class HtmlMovieTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control_ = createWebMovie(site_);
        ASSERT_NE(control_, nullptr);
        ASSERT_TRUE(loadMovie(*control_, dir_.write("movie.html", kMovie) + "?from=test").ok);
        ASSERT_TRUE(runUntil([this] { return !site_.fsCommands.empty(); }, 20000))
            << "the movie never raised its ready command";
    }

    // Calls and returns the reply; the "called" report of the callback is expected by then.
    std::string call(const std::string& request) {
        return replyOf(callFunction(*control_, request));
    }
    std::string lastReport() const {
        return site_.fsCommands.empty() ? "" : site_.fsCommands.back().second;
    }

    TempDir dir_;
    GuiWindow window_;
    GuiSite site_{window_.container()};
    std::unique_ptr<abi::Control> control_;
};

TEST_F(HtmlMovieTest, FsCommandArrivesWithBothStringsUnchanged) {
    ASSERT_EQ(site_.fsCommands.size(), 1u);
    EXPECT_EQ(site_.fsCommands[0], (FsCommand{"ready", "你好，世界 & <ok> \"q\""}));
}

TEST_F(HtmlMovieTest, CallFunctionReachesTheCallbackAndReturnsItsReply) {
    EXPECT_EQ(call(R"(<invoke name="videoStop" ><arguments></arguments></invoke>)"),
              "<undefined/>");
    EXPECT_EQ(lastReport(), "videoStop []");
    EXPECT_EQ(call(R"(<invoke name="SetWindow" ><arguments><string>true</string>)"
                   R"(</arguments></invoke>)"),
              "<true/>");
    EXPECT_EQ(lastReport(), "SetWindow [\"true\"]");
    EXPECT_EQ(call(R"(<invoke name="sendKeyCode" returntype="boolean"><arguments>)"
                   R"(<string>13</string></arguments></invoke>)"),
              "<true/>");
    EXPECT_EQ(lastReport(), "sendKeyCode [\"13\"]");
    EXPECT_EQ(call(R"(<invoke name="ReceiveMessage" ><arguments><string>a<b&c</string>)"
                   R"(</arguments></invoke>)"),
              "<string>a&lt;b&amp;c</string>");
    EXPECT_EQ(lastReport(), "ReceiveMessage [\"a<b&c\"]");
    EXPECT_EQ(call(R"(<invoke name="setvolume" ><arguments><string>50</string>)"
                   R"(</arguments></invoke>)"),
              "<number>1.5</number>");
    EXPECT_EQ(lastReport(), "setvolume [\"50\"]");
}

TEST_F(HtmlMovieTest, ArgumentsOfEveryTypeArriveDecoded) {
    EXPECT_EQ(call("<invoke name=\"typed\" returntype=\"xml\"><arguments><string>&lt;你&amp;"
                   "</string><number>1</number><true/><false/><null/><undefined/></arguments>"
                   "</invoke>"),
              "<array><property id=\"0\"><string>string</string></property><property id=\"1\">"
              "<string>number</string></property><property id=\"2\"><string>boolean</string>"
              "</property><property id=\"3\"><string>boolean</string></property><property "
              "id=\"4\"><string>object</string></property><property id=\"5\"><string>undefined"
              "</string></property></array>");
    EXPECT_EQ(lastReport(), "typed [\"<你&\",1,true,false,null,null]");
}

TEST_F(HtmlMovieTest, UnknownNamesAnswerEmptyAndBadRequestsFail) {
    EXPECT_EQ(call(R"(<invoke name="notRegistered" ><arguments></arguments></invoke>)"), "");
    EXPECT_FALSE(callFunction(*control_, "videoStop").ok);
    EXPECT_FALSE(callFunction(*control_,
                              "<invoke name=\"echo\"><arguments><number>x</number>"
                              "</arguments></invoke>")
                     .ok);
    auto thrown =
        callFunction(*control_, R"(<invoke name="fails"><arguments></arguments></invoke>)");
    EXPECT_FALSE(thrown.ok);
    EXPECT_NE(thrown.error.find("broken movie"), std::string::npos) << thrown.error;
    EXPECT_EQ(site_.fsCommands.size(), 1u) << "only the ready command";
}

TEST_F(HtmlMovieTest, AHandlerMayCallBackInWhileACallIsRunning) {
    std::vector<std::string> innerReplies;
    site_.onFsCommand = [&](const FsCommand& event) {
        if (event.first != "inner") return;
        innerReplies.push_back(call("<invoke name=\"echo\"><arguments><string>" + event.second +
                                    "</string></arguments></invoke>"));
    };
    EXPECT_EQ(call(R"(<invoke name="nested"><arguments><string>x1</string></arguments></invoke>)"),
              "<string>outer:x1</string>");
    EXPECT_EQ(innerReplies, (std::vector<std::string>{"<string>echo:x1</string>"}));
    EXPECT_EQ(call(R"(<invoke name="nested"><arguments><string>x2</string></arguments></invoke>)"),
              "<string>outer:x2</string>");
    EXPECT_EQ(innerReplies.size(), 2u);
}

TEST_F(HtmlMovieTest, RepliesCarryOnlyWhatExternalInterfaceCan) {
    EXPECT_EQ(call(R"(<invoke name="odd"><arguments></arguments></invoke>)"),
              "<array><property id=\"0\"><undefined/></property><property id=\"1\"><object>"
              "</object></property><property id=\"2\"><object><property id=\"s\"><string>x"
              "</string></property><property id=\"f\"><undefined/></property></object>"
              "</property><property id=\"3\"><number>7</number></property></array>");
}

TEST_F(HtmlMovieTest, AHandlerMayDestroyTheControlDuringACall) {
    site_.onFsCommand = [this](const FsCommand& event) {
        if (event.first == "quit") control_.reset();
    };
    abi::Control* control = control_.get();
    const gint64 start = g_get_monotonic_time();
    // The reply may or may not make it out of the closing page; the call must just return.
    callFunction(*control, R"(<invoke name="quit"><arguments/></invoke>)");
    EXPECT_EQ(control_, nullptr);
    EXPECT_LT(g_get_monotonic_time() - start, 2000000);
}

TEST_F(HtmlMovieTest, PagesWithoutACharsetAreReadAsUtf8) {
    ASSERT_TRUE(loadMovie(*control_, dir_.write("plain.html",
                                                "<script>fscommand('plain', "
                                                "'你好');</script>"))
                    .ok);
    EXPECT_TRUE(runUntil([this] { return hasFsCommand(site_, {"plain", "你好"}); }, 10000));
}

TEST_F(HtmlMovieTest, AHungMovieFailsTheCallInsteadOfHangingTheHost) {
    const gint64 start = g_get_monotonic_time();
    auto stalled =
        callFunction(*control_, R"(<invoke name="stall"><arguments></arguments></invoke>)");
    const gint64 elapsedMs = (g_get_monotonic_time() - start) / 1000;
    EXPECT_FALSE(stalled.ok);
    EXPECT_GE(elapsedMs, 4500);
    EXPECT_LT(elapsedMs, 6500);
}

TEST_F(HtmlMovieTest, PlayReachesThePage) {
    ASSERT_TRUE(play(*control_).ok);
    EXPECT_TRUE(runUntil([this] { return hasFsCommand(site_, {"played", ""}); }, 5000));
}

TEST_F(HtmlMovieTest, TheWindowShowsTheMoviesPixels) {
    const std::uint32_t red = 0xE01010, green = 0x20C040;
    EXPECT_TRUE(runUntil([&] { return window_.pixel(kWidth / 4, kHeight / 4) == red; }, 10000))
        << std::hex << window_.pixel(kWidth / 4, kHeight / 4);
    EXPECT_EQ(window_.pixel(kWidth * 3 / 4, kHeight * 3 / 4), green);
    EXPECT_EQ(window_.pixel(kWidth - 2, 2), green);
    EXPECT_EQ(window_.pixel(2, kHeight - 2), green);
}

}  // namespace
}  // namespace webmovie_test
