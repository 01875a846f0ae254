// Hostile movies that try to hand the player to another origin: by navigating the window, by
// frames, forms, windows and redirects, and by forging the bridge's messages. The movie keeps the
// window, nothing foreign reaches the host, and the movie's next command is handled.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/controls/webmovie/gui_host.h"
#include "tests/controls/webmovie/loopback_server.h"
#include "tests/controls/webmovie/view_probe.h"

namespace webmovie_test {
namespace {

// Everything a foreign page (or frame) might try to reach the host with.
constexpr const char* kForgeries = R"JS(
try { fscommand("pwned", "api"); } catch (e) {}
for (const token of ["", undefined, null, "pwned"]) {
  try { window.webkit.messageHandlers.vexoFsCommand.postMessage([token, "pwned", "direct"]); } catch (e) {}
}
)JS";

std::string evilPage() {
    return std::string("<!DOCTYPE html><script>") + kForgeries +
           "try { parent.fscommand('pwned', 'parent'); } catch (e) {}\nfetch('/evil-ran');"
           "</script>";
}

// The real movie. It acts on the host's command, so every act happens after it is ready.
std::string moviePage(const std::string& foreign) {
    return R"(<!DOCTYPE html><html><head><meta charset="utf-8"><style>
html, body { margin: 0; height: 100%; }
#out { position: fixed; left: 0; top: 0; width: 100%; height: 100%; display: block; }
</style></head><body>
<a id="out" href=")" +
           foreign + R"(/evil.html?clicked"></a>
<form id="post" method="post" action=")" +
           foreign + R"(/evil.html?form"><input name="secret" value="s"></form>
<script>
const foreign = ")" +
           foreign +
           R"(";
const acts = {
  location: () => { location.href = foreign + "/evil.html?location"; },
  redirect: () => { location.href = "/to-evil"; },
  frame: () => {
    const frame = document.createElement("iframe");
    frame.src = foreign + "/evil.html?frame";
    document.body.appendChild(frame);
  },
  form: () => document.getElementById("post").submit(),
  open: () => { window.open(foreign + "/evil.html?open"); },
  openOnClick: () => {
    document.getElementById("out").onclick = (event) => {
      event.preventDefault();
      window.open(foreign + "/evil.html?clickOpen");
    };
  },
  scriptClick: () => { document.getElementById("out").href = foreign + "/evil.html?scriptClick";
                       document.getElementById("out").click(); },
  srcdoc: () => {
    const frame = document.createElement("iframe");
    frame.srcdoc = "<script>" + )" +
           "`" + kForgeries + "`" + R"( + "parent.fscommand('srcdoc', 'done');<\/script>";
    document.body.appendChild(frame);
  },
};
external.addCallback("act", (name) => { acts[name](); return true; });
external.addCallback("echo", (a) => { fscommand("got", a); return "r:" + a; });
fscommand("ready", location.origin);
</script></body></html>)";
}

std::string invoke(const std::string& name, const std::string& argument) {
    return "<invoke name=\"" + name + "\" returntype=\"xml\"><arguments><string>" + argument +
           "</string></arguments></invoke>";
}

std::string origin(const LoopbackServer& server) {
    std::string url = server.url("/");
    return url.substr(0, url.size() - 1);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ForeignPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The browser a followed link goes to: a script that notes the URL and its environment.
        opener_ = dir_.write("opener", "#!/bin/sh\nenv > \"$0.env\"\necho \"$1\" >> \"$0.log\"\n");
        chmod(opener_.c_str(), 0700);
        setenv("VEXO_WEBMOVIE_OPENER", opener_.c_str(), 1);
        control_ = createWebMovie(site_);
        ASSERT_NE(control_, nullptr);
        view_ = webViewIn(window_.container());
        ASSERT_NE(view_, nullptr);
    }
    void TearDown() override { unsetenv("VEXO_WEBMOVIE_OPENER"); }

    void loadTheMovie() {
        ASSERT_TRUE(loadMovie(*control_, movie_.url("/movie.html")).ok);
        ASSERT_TRUE(runUntil(
            [this] {
                return hasFsCommand(site_, {"ready", origin(movie_)});
            },
            20000));
    }
    void act(const std::string& name) {
        EXPECT_EQ(replyOf(callFunction(*control_, invoke("act", name))), "<true/>") << name;
    }
    // The movie's next command is handled, the window still shows it, and nothing foreign
    // reached the host or even the foreign server.
    void expectTheMovieInCharge(const std::string& when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(replyOf(callFunction(*control_, invoke("echo", when))),
                  "<string>r:" + when + "</string>");
        EXPECT_TRUE(hasFsCommand(site_, {"got", when}));
        for (const auto& command : site_.fsCommands) EXPECT_NE(command.first, "pwned");
        EXPECT_EQ(webkit_web_view_get_uri(view_), movie_.url("/movie.html"));
        EXPECT_FALSE(foreign_.wasAskedFor("/evil.html"));
        EXPECT_FALSE(foreign_.wasAskedFor("/evil-ran"));
    }
    std::string openedInBrowser() const { return readFile(opener_ + ".log"); }

    TempDir dir_;
    std::string opener_;
    LoopbackServer foreign_{{
        {"/evil.html", {"text/html", evilPage()}},
        {"/doc.txt",
         {"text/plain",
          "<script>external.addCallback('echo', (a) => { fscommand('got', a); return 'r:' + a; });"
          "fetch('posted'); fscommand('ready', location.origin);</script>"}},
        {"/page.html",
         {"text/html", "<script>fetch('posted'); fscommand('ready', location.origin);</script>"}},
    }};
    LoopbackServer movie_{{
        {"/movie.html", {"text/html; charset=utf-8", moviePage(origin(foreign_))}},
        {"/to-evil", {"text/html", "", foreign_.url("/evil.html?redirect")}},
        {"/jump", {"text/html", "", foreign_.url("/doc.txt")}},
        {"/jump-page", {"text/html", "", foreign_.url("/page.html")}},
    }};
    NavigationWatch navigations_;
    GuiWindow window_;
    GuiSite site_{window_.container()};
    std::unique_ptr<abi::Control> control_;
    WebKitWebView* view_ = nullptr;
};

TEST_F(ForeignPageTest, ScriptsFormsFramesAndRedirectsNeverTakeTheWindowElsewhere) {
    loadTheMovie();
    for (const char* name : {"location", "redirect", "frame", "form", "scriptClick"}) {
        act(name);
        EXPECT_TRUE(runUntil(
            [&] { return navigations_.sawTargetContaining("/evil.html?" + std::string(name)); },
            10000))
            << name;
        expectTheMovieInCharge(name);
    }
    EXPECT_TRUE(movie_.wasAskedFor("/to-evil")) << "the movie's own server may redirect";
    EXPECT_EQ(openedInBrowser(), "") << "what scripts do never reaches the browser";
}

TEST_F(ForeignPageTest, AWindowTheMovieOpensIsRefused) {
    loadTheMovie();
    act("open");
    EXPECT_TRUE(
        runUntil([&] { return navigations_.sawTargetContaining("/evil.html?open"); }, 10000));
    expectTheMovieInCharge("open");
    EXPECT_EQ(openedInBrowser(), "");
}

TEST_F(ForeignPageTest, ALinkTheUserFollowsOpensInTheBrowser) {
    loadTheMovie();
    clickAt(view_, kWidth / 2, kHeight / 2);
    const std::string link = foreign_.url("/evil.html?clicked") + "\n";
    EXPECT_TRUE(runUntil([&] { return openedInBrowser() == link; }, 10000)) << openedInBrowser();
    expectTheMovieInCharge("after the click");
    // What the programs tell their own drawing at start (platform/drawing_environment.h, and
    // this suite's environment) is not the browser's business.
    const std::string browserEnvironment = readFile(opener_ + ".env");
    for (const std::string name :
         {"GDK_GL", "WEBKIT_DISABLE_DMABUF_RENDERER", "WEBKIT_WEB_RENDER_DEVICE_FILE"}) {
        EXPECT_NE(std::getenv(name.c_str()), nullptr) << name;
        EXPECT_EQ(browserEnvironment.find(name + "="), std::string::npos) << name;
    }
}

// As a button of an SWF movie does with getURL(url, "_blank").
TEST_F(ForeignPageTest, AWindowTheUserAsksForOpensInTheBrowser) {
    loadTheMovie();
    act("openOnClick");
    clickAt(view_, kWidth / 2, kHeight / 2);
    const std::string link = foreign_.url("/evil.html?clickOpen") + "\n";
    EXPECT_TRUE(runUntil([&] { return openedInBrowser() == link; }, 10000)) << openedInBrowser();
    expectTheMovieInCharge("after the click");
}

// A frame of the movie's own making has no token: its messages go nowhere, while the movie's
// own API still works from it.
TEST_F(ForeignPageTest, MessagesWithoutTheMoviesTokenNeverReachTheHost) {
    loadTheMovie();
    act("srcdoc");
    EXPECT_TRUE(runUntil([&] { return hasFsCommand(site_, {"srcdoc", "done"}); }, 10000));
    expectTheMovieInCharge("srcdoc");
}

// Redirected elsewhere, a movie runs as the server it came from: its relative requests go there.
TEST_F(ForeignPageTest, ARedirectedDocumentRunsAsTheServerItCameFrom) {
    ASSERT_TRUE(loadMovie(*control_, movie_.url("/jump")).ok);
    ASSERT_TRUE(runUntil([this] { return !site_.fsCommands.empty(); }, 20000));
    EXPECT_EQ(site_.fsCommands.front(), (FsCommand{"ready", origin(foreign_)}));
    EXPECT_TRUE(runUntil([this] { return foreign_.wasAskedFor("/posted"); }, 10000));
    EXPECT_FALSE(movie_.wasAskedFor("/posted"));
    EXPECT_EQ(replyOf(callFunction(*control_, invoke("echo", "x"))), "<string>r:x</string>");
    EXPECT_STREQ(webkit_web_view_get_uri(view_), foreign_.url("/doc.txt").c_str());
}

TEST_F(ForeignPageTest, ARedirectedPageRunsAsTheServerItCameFrom) {
    ASSERT_TRUE(loadMovie(*control_, movie_.url("/jump-page")).ok);
    ASSERT_TRUE(runUntil([this] { return !site_.fsCommands.empty(); }, 20000));
    EXPECT_EQ(site_.fsCommands.front(), (FsCommand{"ready", origin(foreign_)}));
    EXPECT_TRUE(runUntil([this] { return foreign_.wasAskedFor("/posted"); }, 10000));
    EXPECT_FALSE(movie_.wasAskedFor("/posted"));
}

}  // namespace
}  // namespace webmovie_test
