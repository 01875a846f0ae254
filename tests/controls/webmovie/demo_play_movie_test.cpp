// The demo's play movie, as vexo-demo-play-movie writes it, streams the video named beside it
// into the screen above its bar, and from the start again when the video ends.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/controls/webmovie/gui_host.h"
#include "tests/controls/webmovie/loopback_server.h"

namespace webmovie_test {
namespace {

constexpr std::uint32_t kFirstColour = 0xC02040, kSecondColour = 0x2040C0;

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

// One second of the first colour, then one of the second.
std::string twoColourFlv(const TempDir& dir) {
    auto colour = [](std::uint32_t rgb) {
        char source[64];
        std::snprintf(source, sizeof source, "color=c=0x%06X:s=320x180:d=1:r=24", rgb);
        return std::string(source);
    };
    const auto out = dir.path() / "clip.flv";
    if (!run({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", colour(kFirstColour), "-f",
              "lavfi", "-i", colour(kSecondColour), "-filter_complex", "concat=n=2:v=1:a=0", "-c:v",
              "flv1", "-pix_fmt", "yuv420p", out.string()}))
        return {};
    return contents(out);
}

bool near(std::uint32_t a, std::uint32_t b) {
    for (int shift : {0, 8, 16}) {
        const int difference =
            static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (difference > 24 || difference < -24) return false;
    }
    return true;
}

TEST(DemoPlayMovieTest, TheVideoBesideTheMoviePlaysAndStartsAgainWhenItEnds) {
    TempDir dir;
    const std::string flv = twoColourFlv(dir);
    ASSERT_FALSE(flv.empty()) << "ffmpeg could not write the video";
    const auto movie = dir.path() / "clientplayer.swf";
    ASSERT_TRUE(run({DEMO_PLAY_MOVIE, movie.string(), "clip.flv"}));
    LoopbackServer server{{
        {"/m/clientplayer.swf", {"application/x-shockwave-flash", contents(movie)}},
        {"/m/clip.flv", {"video/x-flv", flv}},
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
    EXPECT_TRUE(server.wasAskedFor("/m/clip.flv"));
}

}  // namespace
}  // namespace webmovie_test
