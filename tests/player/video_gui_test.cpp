// The player's SWF play movie streams a video from the movie's server, an MP4 as well as an FLV,
// and a video that cannot play fails alone: the player goes on taking its movies' commands.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "tests/controls/webmovie/test_videos.h"
#include "tests/support/gtk/private_x_server.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/http_test_server.h"
#include "tests/support/program_run.h"
#include "tools/swf/swf_file.h"

using namespace std::chrono_literals;

namespace {

// The main movie enters play mode, and closes the player once the play movie's video has
// stopped, or once the test's server says "close"; the play movie's messages reach it, and the
// console, by SendMessage.
constexpr const char* kMainMovie = R"(<!DOCTYPE html><html><body><script>
const close = () => { fscommand("Back", ""); fscommand("Close", ""); };
external.addCallback("ReceiveMessage", (text) => {
  if (text === "video:NetStream.Play.Stop") setTimeout(close, 0);
  return true;
});
setInterval(() => fetch("close").then((r) => r.text()).then((t) => { if (t === "yes") close(); }),
            200);
fscommand("setarg", "vid=1");
</script></body></html>)";

class VideoPlayGui : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(x_.display().empty());
        test_support::writeFile(dir_.file("registry.reg"),
                                test_support::flashControlRegistry(WEBMOVIE_MODULE));
    }
    // Starts the player on the main movie, whose play movie streams `bytes` as /vexo/<file>,
    // with the console open.
    std::unique_ptr<test_support::ProgramRun> play(const std::string& file,
                                                   const std::string& bytes) {
        pages_.answer("/vexo/client.swf", 200, kMainMovie);
        pages_.answer("/vexo/close", 200, "no");
        pages_.answer("/vexo/clientplayer.swf", 200,
                      swf::writeSwfWithVideo(
                          0x3060C0, webmovie_test::videoScript(file, "SendMessage"), "screen"));
        pages_.answer("/vexo/" + file, 200, bytes);
        const std::map<std::string, std::string> environment{
            {"VEXO_BACKEND", "gtk"},
            {"VEXO_REGISTRY", dir_.file("registry.reg")},
            {"VEXO_RUNTIME_DIR", dir_.file("runtime")}};
        auto player = std::make_unique<test_support::ProgramRun>(
            VEXO_PLAYER,
            std::vector<std::string>{
                "http://127.0.0.1:" + std::to_string(pages_.port()) + "/vexo/client.swf", "-s",
                "-c"},
            dir_.path(), environment, dir_.file("console.txt"), dir_.file("stderr.txt"));
        EXPECT_TRUE(player->started());
        return player;
    }
    // Where the console shows the message `text` from the play movie; npos when it does not.
    std::size_t logged(const std::string& text) const {
        return test_support::readFile(dir_.file("console.txt"))
            .find("<string>" + text + "</string>");
    }

    // The play movie's messages, for failures.
    std::string messages() const {
        const std::string console = test_support::readFile(dir_.file("console.txt"));
        std::string found;
        for (std::size_t at = 0; (at = console.find("<string>", at)) != std::string::npos;) {
            at += 8;
            found += console.substr(at, console.find("</string>", at) - at) + "\n";
        }
        return found;
    }

    gtk_test::PrivateXServer x_;
    test_support::TempDir dir_;
    test_support::HttpTestServer pages_;
};

TEST_F(VideoPlayGui, ThePlayMovieStreamsAnMp4WithTheEventsOfAnFlv) {
    const std::string bytes = webmovie_test::twoColourVideo(
        dir_.path(), "clip.mp4", {"-c:v", "libx264", "-c:a", "aac", "-movflags", "+faststart"});
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(play("clip.mp4", bytes)->wait(180s), 0) << "the video did not play to its end";
    EXPECT_NE(logged("video:NetStream.Play.Start"), std::string::npos);
    EXPECT_LT(logged("video:NetStream.Play.Start"), logged("video:NetStream.Play.Stop"));
    EXPECT_NE(messages().find("\nmeta:4 320x240\n"), std::string::npos)
        << "the duration, about 4 s, and the size: " << messages();
}

TEST_F(VideoPlayGui, AVideoThatCannotPlayFailsAloneAndThePlayerGoesOn) {
    std::string bytes(
        "\0\0\0\x18"
        "ftypisom\0\0\2\0isomiso2",
        24);
    std::mt19937 random(7);
    for (int i = 0; i < 65536; ++i) bytes += static_cast<char>(random());
    auto player = play("noise.mp4", bytes);
    const std::string line =
        "webmovie: cannot stream http://127.0.0.1:" + std::to_string(pages_.port()) +
        "/vexo/noise.mp4: ";
    EXPECT_TRUE(test_support::waitUntil(
        [&] {
            return test_support::readFile(dir_.file("stderr.txt")).find(line) != std::string::npos;
        },
        120s));
    pages_.answer("/vexo/close", 200, "yes");
    EXPECT_EQ(player->wait(120s), 0) << "the player stopped taking commands";
}

}  // namespace
