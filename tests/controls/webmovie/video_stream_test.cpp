// An SWF movie's NetStream plays every format Flash streamed: FLV as it comes, MP4-family files
// as FLV of the same streams, remuxed while they arrive. A file that cannot become FLV fails its
// stream alone, with a line on stderr, and the movie goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <unistd.h>

#include "tests/controls/webmovie/gui_host.h"
#include "tests/controls/webmovie/loopback_server.h"
#include "tests/controls/webmovie/swf_writer.h"
#include "tests/controls/webmovie/test_videos.h"

namespace webmovie_test {
namespace {

const std::vector<std::string> kH264Aac{"-c:v", "libx264", "-c:a", "aac"};

std::vector<std::string> with(std::vector<std::string> codecs, std::vector<std::string> more) {
    codecs.insert(codecs.end(), more.begin(), more.end());
    return codecs;
}

class VideoStreamTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control_ = createWebMovie(site_);
        ASSERT_NE(control_, nullptr);
        ASSERT_TRUE(setBackground(*control_, kStage).ok);
    }
    static std::string movie(const std::string& file) {
        return writeSwfWithVideo(kStage, videoScript(file), "screen");
    }
    // Plays a movie from the server that streams `file` from beside it, served as `body`.
    void stream(const std::string& file, LoopbackServer::Body body) {
        own_.put("/m/" + file, std::move(body));
        own_.put("/m/client.swf", {"application/x-shockwave-flash", movie(file)});
        ASSERT_TRUE(loadMovie(*control_, own_.url("/m/client.swf")).ok);
    }
    bool shows(std::uint32_t colour, int timeoutMs) {
        return runUntil([&] { return near(centre(), colour); }, timeoutMs);
    }
    std::uint32_t centre() const { return window_.pixel(kWidth / 2, kHeight / 2); }
    // The position of the status event `code` among the stream's events; -1 before it came.
    int statusAt(const std::string& code) const {
        int at = 0;
        for (const auto& [command, args] : site_.fsCommands) {
            if (command != "video") continue;
            if (args == code) return at;
            ++at;
        }
        return -1;
    }
    std::string meta() const {
        for (const auto& [command, args] : site_.fsCommands) {
            if (command == "meta") return args;
        }
        return {};
    }
    // Plays the video whole: its two colours in turn, its events in order, its metadata.
    void expectPlays(const std::string& what) {
        EXPECT_TRUE(shows(kFirstColour, 60000)) << what << ": " << std::hex << centre();
        EXPECT_TRUE(shows(kSecondColour, 30000)) << what << ": " << std::hex << centre();
        EXPECT_TRUE(runUntil([&] { return statusAt("NetStream.Play.Stop") >= 0; }, 30000)) << what;
        EXPECT_GE(statusAt("NetStream.Play.Start"), 0) << what;
        EXPECT_LT(statusAt("NetStream.Play.Start"), statusAt("NetStream.Play.Stop")) << what;
        const std::string metadata = meta();
        EXPECT_NEAR(std::atof(metadata.c_str()), 4.0, 0.2) << what << ": " << metadata;
        EXPECT_NE(metadata.find(" 320x240"), std::string::npos) << what << ": " << metadata;
    }
    // The stream of `bytes` fails with a line on stderr that names it and says `why`; the movie
    // still answers, and nothing covers its stage.
    void expectFails(const std::string& file, const std::string& bytes, const std::string& why) {
        CapturedStderr errors;
        stream(file, {"video/mp4", bytes});
        const std::string line = "webmovie: cannot stream " + own_.url("/m/" + file) + ": ";
        ASSERT_TRUE(runUntil([&] { return errors.text().find(line) != std::string::npos; }, 60000))
            << errors.text();
        const std::string text = errors.text();
        EXPECT_NE(text.find(why, text.find(line)), std::string::npos) << text;
        // The movie may be busy with the frames it got for a while; it must come back.
        EXPECT_TRUE(runUntil(
            [&] { return replyOf(callFunction(*control_, R"(<invoke name="none"/>)")).empty(); },
            60000));
        runFor(500);
        const std::uint32_t shown = centre();
        EXPECT_TRUE(near(shown, kStage) || near(shown, kFirstColour)) << std::hex << shown;
    }

    TempDir dir_;
    LoopbackServer own_{{}};
    GuiWindow window_;
    GuiSite site_{window_.container()};
    std::unique_ptr<abi::Control> control_;
};

struct Format {
    const char* name;
    const char* file;
    std::vector<std::string> codecs;
};

class VideoFormatTest : public VideoStreamTest, public ::testing::WithParamInterface<Format> {};

TEST_P(VideoFormatTest, PlaysFromTheMoviesServer) {
    const Format& format = GetParam();
    const std::string bytes = twoColourVideo(dir_.path(), format.file, format.codecs);
    ASSERT_FALSE(bytes.empty()) << "ffmpeg could not write " << format.name;
    stream(format.file, {"video/mp4", bytes});
    expectPlays(format.name);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, VideoFormatTest,
    ::testing::Values(Format{"Mp4FastStart", "clip.mp4",
                             with(kH264Aac, {"-movflags", "+faststart"})},
                      Format{"Mp4IndexLast", "clip.mp4", kH264Aac},
                      Format{"F4v", "clip.f4v", kH264Aac},
                      Format{"MovWithMp3", "clip.mov", {"-c:v", "libx264", "-c:a", "libmp3lame"}},
                      Format{"FlvH264", "clip.flv", kH264Aac},
                      Format{"FlvSorenson", "clip.flv", {"-c:v", "flv1", "-c:a", "libmp3lame"}}),
    [](const auto& test) { return std::string(test.param.name); });

// A fast-start file plays while it arrives: its first half shows though the rest never comes.
TEST_F(VideoStreamTest, AFastStartFilePlaysWhileItArrives) {
    const std::string bytes =
        twoColourVideo(dir_.path(), "clip.mp4", with(kH264Aac, {"-movflags", "+faststart"}));
    ASSERT_FALSE(bytes.empty());
    stream("clip.mp4", {"video/mp4", bytes, {}, bytes.size() * 3 / 5});
    ASSERT_TRUE(runUntil([&] { return own_.stalledClients() == 1; }, 60000));
    EXPECT_TRUE(shows(kFirstColour, 60000)) << std::hex << centre();
    EXPECT_EQ(own_.stalledClients(), 1) << "shown only once the stream had given up";
}

TEST_F(VideoStreamTest, ALocalMovieStreamsALocalMp4) {
    const std::string bytes = twoColourVideo(dir_.path(), "clip.mp4", kH264Aac);
    ASSERT_FALSE(bytes.empty());
    const std::string path = dir_.write("movie.swf", movie("clip.mp4"));
    ASSERT_TRUE(loadMovie(*control_, path).ok);
    expectPlays("local");
}

TEST_F(VideoStreamTest, ATruncatedFileFailsItsStream) {
    const std::string bytes =
        twoColourVideo(dir_.path(), "clip.mp4", with(kH264Aac, {"-movflags", "+faststart"}));
    ASSERT_FALSE(bytes.empty());
    expectFails("cut.mp4", bytes.substr(0, bytes.size() / 2), "truncated");
}

// The index comes last, after a media box that claims 10 GiB: the index is never reached.
TEST_F(VideoStreamTest, AFileThatClaims10GiBFailsItsStream) {
    std::string bytes = twoColourVideo(dir_.path(), "clip.mp4", kH264Aac);
    const std::size_t media = bytes.find("mdat");
    ASSERT_NE(media, std::string::npos);
    ASSERT_EQ(bytes.substr(media - 8, 4), "free") << "ffmpeg's room for a large box";
    std::string large("\0\0\0\1mdat\0\0\0\2\x80\0\0\0", 16);  // size 1: 64 bits follow
    bytes.replace(media - 12, 16, large);  // the free box and the media box's head
    expectFails("huge.mp4", bytes, "");
}

TEST_F(VideoStreamTest, RandomBytesAfterAFileTypeBoxFailTheirStream) {
    std::string bytes(
        "\0\0\0\x18"
        "ftypisom\0\0\2\0isomiso2",
        24);
    std::mt19937 random(21);
    for (int i = 0; i < 65536; ++i) bytes += static_cast<char>(random());
    expectFails("noise.mp4", bytes, "");
}

TEST_F(VideoStreamTest, ACodecFlvCannotCarryFailsItsStream) {
    const std::string bytes =
        twoColourVideo(dir_.path(), "clip.mp4",
                       {"-c:v", "libx265", "-x265-params", "log-level=error", "-c:a", "aac"});
    ASSERT_FALSE(bytes.empty()) << "ffmpeg could not write HEVC";
    expectFails("hevc.mp4", bytes, "hevc");
}

// The remuxers of this process still running.
int remuxersRunning() {
    int running = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state, parent;
        if (stat >> pid >> name >> state >> parent && name == "(vexo-flv-remux)" &&
            parent == std::to_string(getpid())) {
            ++running;
        }
    }
    return running;
}

// A movie that opens many streams at once gets only so many remuxers; the others fail, and
// all of them end with the movie. The streams come from three servers, as the control holds at
// most two connections to one.
TEST_F(VideoStreamTest, OnlyFourVideosAreRemuxedAtOnce) {
    const std::string bytes =
        twoColourVideo(dir_.path(), "clip.mp4", with(kH264Aac, {"-movflags", "+faststart"}));
    ASSERT_FALSE(bytes.empty());
    const LoopbackServer::Body stalled{"video/mp4", bytes, {}, bytes.size() / 2};
    const LoopbackServer::Body policy{
        "text/xml",
        "<cross-domain-policy><allow-access-from domain=\"127.0.0.1\"/>"
        "</cross-domain-policy>"};
    LoopbackServer second{{{"/crossdomain.xml", policy}, {"/clip.mp4", stalled}}};
    LoopbackServer third{{{"/crossdomain.xml", policy}, {"/clip.mp4", stalled}}};
    own_.put("/m/clip.mp4", stalled);
    const std::string urls[] = {"clip.mp4?1", "clip.mp4?2", second.url("/clip.mp4?3"),
                                second.url("/clip.mp4?4"), third.url("/clip.mp4?5")};
    swf::Avm1 code;
    code.pushString("nc").pushInt(0).pushString("NetConnection").newObject().setVariable();
    code.pushNull().pushInt(1).pushString("nc").getVariable().pushString("connect");
    code.callMethod().pop();
    for (int i = 1; i <= 5; ++i) {
        const std::string name = "ns" + std::to_string(i);
        code.pushString(name).pushString("nc").getVariable().pushInt(1);
        code.pushString("NetStream").newObject().setVariable();
        code.pushString(urls[i - 1]).pushInt(1);
        code.pushString(name).getVariable().pushString("play").callMethod().pop();
    }
    CapturedStderr errors;
    own_.put("/m/client.swf", {"application/x-shockwave-flash", writeSwf(kStage, code)});
    ASSERT_TRUE(loadMovie(*control_, own_.url("/m/client.swf")).ok);
    EXPECT_TRUE(runUntil(
        [&] { return errors.text().find(": too many videos at once") != std::string::npos; },
        60000))
        << errors.text();
    EXPECT_TRUE(runUntil([&] { return remuxersRunning() == 4; }, 60000)) << remuxersRunning();
    control_.reset();
    EXPECT_TRUE(runUntil([&] { return remuxersRunning() == 0; }, 60000)) << remuxersRunning();
}

// A movie made by another tool streams its own FLV into its own Video object.
class ThirdPartyVideoTest : public VideoStreamTest {
  protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(kMovie)) {
            GTEST_SKIP() << kMovie << " is not here: the third-party movies come with the "
                         << "project's workspace, not with its sources";
        }
        VideoStreamTest::SetUp();
    }
    // Plays the movie with `video` as its test_video.flv: its red ball fills the centre.
    void expectBall(const std::string& video) {
        own_.put("/m/test_video.flv", {"video/x-flv", video});
        own_.put("/m/test.swf", {"application/x-shockwave-flash", readFile("test.swf")});
        ASSERT_TRUE(loadMovie(*control_, own_.url("/m/test.swf")).ok);
        EXPECT_TRUE(shows(kBall, 60000)) << std::hex << centre();
    }
    static std::string readFile(const std::string& name) {
        std::ifstream file(std::filesystem::path(kMovie) / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
    static constexpr const char* kMovie = SHARED_MOVIES "/avm1-netstream-flv";
    static constexpr std::uint32_t kBall = 0xF83000;
};

TEST_F(ThirdPartyVideoTest, PlaysItsOwnFlv) { expectBall(readFile("test_video.flv")); }

// Ruffle would show a video it cannot read in a box of its own over the movie; the movie stays
// as it is, and the video is named on stderr.
TEST_F(VideoStreamTest, AVideoThePlayerCannotReadOpensNoBoxOverTheMovie) {
    const std::string bytes =
        ffmpegVideo(dir_.path(), "clip.webm",
                    {"-f", "lavfi", "-i", "color=c=red:s=320x240:d=4", "-c:v", "libvpx-vp9"});
    ASSERT_FALSE(bytes.empty());
    expectFails("clip.webm", bytes, "not a video the movie can play");
}

// A page that asks a decoder for a codec the machine cannot decode gets it named on stderr,
// once, and a codec name that is no codec name is not repeated.
TEST_F(VideoStreamTest, ACodecWithoutADecoderIsNamedOnce) {
    CapturedStderr errors;
    const std::string page = R"(<!DOCTYPE html><script>
const decoder = () => new VideoDecoder({output() {}, error() {}});
decoder().configure({codec: "avc1.FF0000"});
decoder().configure({codec: "avc1.FF0000"});
decoder().configure({codec: "x\u001b[31m"});
setTimeout(() => fscommand("done", ""), 1000);
</script>)";
    ASSERT_TRUE(loadMovie(*control_, dir_.write("decoders.html", page)).ok);
    ASSERT_TRUE(runUntil([&] { return hasFsCommand(site_, {"done", ""}); }, 60000));
    const std::string text = errors.text();
    const std::string line = "webmovie: this machine has no decoder for H.264 video (avc1.FF0000)";
    EXPECT_NE(text.find(line), std::string::npos) << text;
    EXPECT_EQ(text.find(line), text.rfind(line)) << text;
    EXPECT_EQ(text.find("\x1b"), std::string::npos) << text;
}

}  // namespace
}  // namespace webmovie_test
