// The player's SWF play movie streams a video from the movie's server, an MP4 as well as an FLV,
// and a video that cannot play fails alone: the player goes on taking its movies' commands.
#include <gtest/gtest.h>

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
// stopped or failed; the play movie's messages reach it, and the console, by SendMessage.
constexpr const char* kMainMovie = R"(<!DOCTYPE html><html><body><script>
external.addCallback("ReceiveMessage", (text) => {
  if (text === "video:NetStream.Play.Stop" || text === "video:NetStream.Play.StreamNotFound" ||
      text === "video:NetStream.Play.Failed")
    setTimeout(() => { fscommand("Back", ""); fscommand("Close", ""); }, 0);
  return true;
});
fscommand("setarg", "vid=1");
</script></body></html>)";

class VideoPlayGui : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(x_.display().empty());
        test_support::writeFile(dir_.file("registry.reg"),
                                "Windows Registry Editor Version 5.00\n\n"
                                "[HKEY_CLASSES_ROOT\\CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}"
                                "\\InprocServer32]\n@=\"" WEBMOVIE_MODULE "\"\n");
    }
    // Plays the main movie, whose play movie streams `bytes` as /vexo/<file>, with the console
    // open; returns the player's exit code.
    std::optional<int> play(const std::string& file, const std::string& bytes) {
        pages_.answer("/vexo/client.swf", 200, kMainMovie);
        pages_.answer("/vexo/clientplayer.swf", 200,
                      swf::writeSwfWithVideo(
                          0x3060C0, webmovie_test::videoScript(file, "SendMessage"), "screen"));
        pages_.answer("/vexo/" + file, 200, bytes);
        const std::map<std::string, std::string> environment{
            {"VEXO_BACKEND", "gtk"},
            {"VEXO_REGISTRY", dir_.file("registry.reg")},
            {"VEXO_RUNTIME_DIR", dir_.file("runtime")}};
        test_support::ProgramRun player(
            VEXO_PLAYER,
            {"http://127.0.0.1:" + std::to_string(pages_.port()) + "/vexo/client.swf", "-s", "-c"},
            dir_.path(), environment, dir_.file("console.txt"), dir_.file("stderr.txt"));
        EXPECT_TRUE(player.started());
        return player.wait(180s);
    }
    // Where the console shows the message `text` from the play movie; npos when it does not.
    std::size_t logged(const std::string& text) const {
        return test_support::readFile(dir_.file("console.txt"))
            .find("<string>" + text + "</string>");
    }

    gtk_test::PrivateXServer x_;
    test_support::TempDir dir_;
    test_support::HttpTestServer pages_;
};

TEST_F(VideoPlayGui, ThePlayMovieStreamsAnMp4WithTheEventsOfAnFlv) {
    const std::string bytes = webmovie_test::twoColourVideo(
        dir_.path(), "clip.mp4", {"-c:v", "libx264", "-c:a", "aac", "-movflags", "+faststart"});
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(play("clip.mp4", bytes), 0) << "the video did not play to its end";
    EXPECT_NE(logged("video:NetStream.Play.Start"), std::string::npos);
    EXPECT_LT(logged("video:NetStream.Play.Start"), logged("video:NetStream.Play.Stop"));
    EXPECT_NE(logged("meta:4"), std::string::npos) << "the duration, about 4 s";
}

TEST_F(VideoPlayGui, AVideoThatCannotPlayFailsAloneAndThePlayerGoesOn) {
    std::string bytes(
        "\0\0\0\x18"
        "ftypisom\0\0\2\0isomiso2",
        24);
    std::mt19937 random(7);
    for (int i = 0; i < 65536; ++i) bytes += static_cast<char>(random());
    EXPECT_EQ(play("noise.mp4", bytes), 0) << "the player stopped taking commands";
    EXPECT_NE(test_support::readFile(dir_.file("stderr.txt"))
                  .find("webmovie: cannot stream http://127.0.0.1:" +
                        std::to_string(pages_.port()) + "/vexo/noise.mp4: "),
              std::string::npos);
}

}  // namespace
