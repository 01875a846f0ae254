// The demo's play movie, as vexo-demo-play-movie writes it, streams the video named beside it
// into the screen above its bar, and from the start again when the video ends.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/controls/webmovie/gui_host.h"
#include "tests/controls/webmovie/loopback_server.h"
#include "tests/controls/webmovie/test_videos.h"

namespace webmovie_test {
namespace {

// Runs `argv` to its end; whether it succeeded.
bool run(std::vector<std::string> argv) {
    std::vector<gchar*> args;
    for (auto& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    gint status = -1;
    if (!g_spawn_sync(nullptr, args.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr,
                      nullptr, &status, nullptr))
        return false;
    return g_spawn_check_wait_status(status, nullptr);
}

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The demo's container, MP4, and FLV, which the control plays without remuxing.
class DemoPlayMovieTest : public ::testing::TestWithParam<const char*> {};

TEST_P(DemoPlayMovieTest, TheVideoBesideTheMoviePlaysAndStartsAgainWhenItEnds) {
    TempDir dir;
    const std::string name = std::string("clip.") + GetParam();
    // H.264 and AAC, as the demo's own video; the index first in an MP4.
    const std::string video = twoColourVideo(
        dir.path(), name, {"-c:v", "libx264", "-c:a", "aac", "-movflags", "+faststart"});
    ASSERT_FALSE(video.empty()) << "ffmpeg could not write the video";
    const auto movie = dir.path() / "clientplayer.swf";
    ASSERT_TRUE(run({DEMO_PLAY_MOVIE, movie.string(), name}));
    LoopbackServer server{{
        {"/m/clientplayer.swf", {"application/x-shockwave-flash", contents(movie)}},
        {"/m/" + name, {"application/octet-stream", video}},
    }};
    GuiWindow window;
    GuiSite site{window.container()};
    auto control = createWebMovie(site);
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(loadMovie(*control, server.url("/m/clientplayer.swf?vid=2")).ok);

    // The middle of the window is the middle of the screen, above the bar.
    auto shows = [&](std::uint32_t colour) {
        return runUntil([&] { return near(window.pixel(kWidth / 2, kHeight / 2), colour); }, 60000);
    };
    EXPECT_TRUE(shows(kFirstColour)) << std::hex << window.pixel(kWidth / 2, kHeight / 2);
    EXPECT_TRUE(shows(kSecondColour)) << std::hex << window.pixel(kWidth / 2, kHeight / 2);
    EXPECT_TRUE(shows(kFirstColour))
        << "not played again: " << std::hex << window.pixel(kWidth / 2, kHeight / 2);
    EXPECT_TRUE(server.wasAskedFor("/m/" + name));
}

INSTANTIATE_TEST_SUITE_P(Containers, DemoPlayMovieTest, ::testing::Values("mp4", "flv"));

}  // namespace
}  // namespace webmovie_test
