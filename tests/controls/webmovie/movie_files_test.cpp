// What the movie scheme serves, tried by hostile pages: a local movie that follows links out of
// its folder, and a remote page that loads another movie's files and the installation's Ruffle
// as scripts. Neither gets a byte, and the movie they target still answers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "controls/core/movie_source.h"
#include "tests/controls/webmovie/gui_host.h"
#include "tests/controls/webmovie/loopback_server.h"
#include "tests/controls/webmovie/swf_writer.h"
#include "tests/controls/webmovie/view_probe.h"

namespace webmovie_test {
namespace {

namespace fs = std::filesystem;
using controls::encodeUrlPath;

constexpr const char* kEcho =
    R"(<invoke name="echo" returntype="xml"><arguments><string>later</string></arguments></invoke>)";

// Loads scripts and reads files by relative URLs, and reports what it got.
constexpr const char* kLinkFollower = R"HTML(<!DOCTYPE html><html><head><meta charset="utf-8">
</head><body><script>
external.addCallback("echo", (a) => { fscommand("got", a); return "r:" + a; });
const load = (src) => new Promise((resolve) => {
  const script = document.createElement("script");
  script.src = src;
  script.onload = () => resolve("loaded");
  script.onerror = () => resolve("error");
  document.head.appendChild(script);
});
const read = (url) => fetch(url).then((r) => r.text(), () => "error");
(async () => {
  const got = [
    await load("inside.js"), await read("data.txt"), await load("up/secret.js"),
    await read("alias.txt"), await read("root/etc/hostname"),
    await read("root" + decodeURIComponent(location.search.slice(1))), await read("pipe"),
    String(window.inside), String(window.leaked)];
  fscommand("results", got.join("|"));
})();
</script></body></html>)HTML";

constexpr const char* kExpected = "loaded|inside text|error|error|error|error|error|ok|undefined";

class MovieFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(dir_.path() / "movie");
        fs::create_directories(dir_.path() / "outside");
        dir_.write("movie/movie.html", kLinkFollower);
        dir_.write("movie/inside.js", "window.inside = 'ok';");
        dir_.write("movie/data.txt", "inside text");
        dir_.write("outside/secret.js", "window.leaked = 'secret';");
        secret_ = dir_.write("outside/secret.txt", "secret text");
        fs::create_directory_symlink("/", dir_.path() / "movie" / "root");
        fs::create_directory_symlink(dir_.path() / "outside", dir_.path() / "movie" / "up");
        fs::create_symlink(secret_, dir_.path() / "movie" / "alias.txt");
        ASSERT_EQ(mkfifo((dir_.path() / "movie" / "pipe").c_str(), 0600), 0);
    }
    std::unique_ptr<abi::Control> createIn(GuiSite& site) {
        CreateControl create = moduleEntry();
        if (create == nullptr) return nullptr;
        return std::unique_ptr<abi::Control>(create(abi::kAbiVersion, kFlashClsid, &site));
    }

    TempDir dir_;
    std::string secret_;
};

// Also when the host names the movie through a link to its folder: the folder is the real one.
TEST_F(MovieFilesTest, ALocalMovieReadsNothingThroughLinks) {
    fs::create_directory_symlink(dir_.path() / "movie", dir_.path() / "linked");
    for (const char* folder : {"movie", "linked"}) {
        SCOPED_TRACE(folder);
        GuiWindow window;
        GuiSite site(window.container());
        auto control = createIn(site);
        ASSERT_NE(control, nullptr);
        std::string movie = (dir_.path() / folder / "movie.html").string();
        ASSERT_TRUE(loadMovie(*control, movie + "?" + encodeUrlPath(secret_)).ok);
        ASSERT_TRUE(runUntil([&] { return !site.fsCommands.empty(); }, 20000));
        EXPECT_EQ(site.fsCommands.front(), (FsCommand{"results", kExpected}));
        EXPECT_EQ(replyOf(callFunction(*control, kEcho)), "<string>r:later</string>");
        EXPECT_TRUE(hasFsCommand(site, {"got", "later"}));
    }
}

// Tries, as scripts, the Ruffle and a movie file of the SWF movie in the other window, and of its
// own control; reports each outcome in order.
constexpr const char* kProber = R"HTML(<!DOCTYPE html><html><body><script>
external.addCallback("echo", (a) => { fscommand("got", a); return "r:" + a; });
const load = (src) => new Promise((resolve) => {
  const script = document.createElement("script");
  script.src = src;
  script.onload = () => resolve("loaded");
  script.onerror = () => resolve("error");
  document.head.appendChild(script);
});
(async () => {
  const query = new URLSearchParams(location.search);
  const got = [];
  for (const host of query.get("hosts").split(",")) {
    got.push(await load("vexo-movie://" + host + "/.webmovie/ruffle/ruffle.js"));
    got.push(await load("vexo-movie://" + host + query.get("path")));
  }
  got.push(typeof window.RufflePlayer, String(window.inside));
  fscommand("probe", got.join("|"));
})();
</script></body></html>)HTML";

TEST_F(MovieFilesTest, ARemotePageLoadsNoMovieFileAndNoRuffle) {
    dir_.write("movie/movie.swf", echoSwf(0x3060C0));
    GuiWindow swfWindow;
    GuiSite swfSite(swfWindow.container());
    auto swfControl = createIn(swfSite);
    ASSERT_NE(swfControl, nullptr);
    ASSERT_TRUE(loadMovie(*swfControl, (dir_.path() / "movie" / "movie.swf").string()).ok);
    ASSERT_TRUE(runUntil([&] { return !swfSite.fsCommands.empty(); }, 60000));
    // vexo-movie://movieN/.webmovie/player.html?load=1: the probing control is the next one.
    std::string swfUrl = webkit_web_view_get_uri(webViewIn(swfWindow.container()));
    std::string swfHost = swfUrl.substr(13, swfUrl.find('/', 13) - 13);
    std::string probeHost = "movie" + std::to_string(std::stoi(swfHost.substr(5)) + 1);

    LoopbackServer server{{{"/probe.html", {"text/html", kProber}}}};
    GuiWindow window;
    GuiSite site(window.container());
    auto control = createIn(site);
    ASSERT_NE(control, nullptr);
    std::string path = encodeUrlPath((dir_.path() / "movie" / "inside.js").string());
    ASSERT_TRUE(loadMovie(*control, server.url("/probe.html?hosts=" + swfHost + "," + probeHost +
                                               "&path=" + path))
                    .ok);
    ASSERT_TRUE(runUntil([&] { return !site.fsCommands.empty(); }, 20000));
    EXPECT_EQ(site.fsCommands.front(),
              (FsCommand{"probe", "error|error|error|error|undefined|undefined"}));
    EXPECT_EQ(replyOf(callFunction(*swfControl, kEcho)), "<string>r:later</string>");
    EXPECT_TRUE(hasFsCommand(swfSite, {"got", "later"}));
}

}  // namespace
}  // namespace webmovie_test
