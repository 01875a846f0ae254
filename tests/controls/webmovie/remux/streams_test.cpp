// MP4-family files that Flash could play come out as FLV of the same streams, whichever way
// they reach the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "controls/webmovie/remux/spool_input.h"
#include "tests/controls/webmovie/remux/media_files.h"
#include "tests/controls/webmovie/remux/remux_process.h"

namespace controls::webmovie::remux {
namespace {

struct Movie {
    const char* name;
    const char* options;
    const char* audioCodec;
};

const Movie kMovies[] = {
    {"faststart.mp4", "-c:v libx264 -c:a aac -movflags +faststart", "aac"},
    {"index_last.mp4", "-c:v libx264 -c:a aac", "aac"},
    {"movie.f4v", "-c:v libx264 -c:a aac -f f4v", "aac"},
    {"movie.mov", "-c:v libx264 -c:a aac", "aac"},
    {"mp3.mp4", "-c:v libx264 -c:a libmp3lame -movflags +faststart", "mp3"},
};

class RemuxedStreams : public testing::TestWithParam<std::tuple<Movie, Feed>> {};

TEST_P(RemuxedStreams, SameStreamsAsFlv) {
    auto [movie, feed] = GetParam();
    std::string input = makeMovie(movie.name, movie.options);
    std::string output = input + (feed == Feed::File ? ".file.flv" : ".pipe.flv");
    RemuxRun run = runRemux(input, feed, output);
    ASSERT_FALSE(run.status.signalled);
    ASSERT_EQ(run.status.code, 0) << run.errors;
    EXPECT_EQ(run.errors, "");

    auto in = probe(input);
    auto out = probe(output);
    EXPECT_EQ(out["format.format_name"], "flv");
    EXPECT_NEAR(std::atof(out["format.duration"].c_str()), std::atof(in["format.duration"].c_str()),
                0.1);
    EXPECT_EQ(out["streams.stream.0.codec_name"], "h264");
    EXPECT_EQ(out["streams.stream.0.width"], "320");
    EXPECT_EQ(out["streams.stream.0.height"], "240");
    EXPECT_EQ(out["streams.stream.1.codec_name"], movie.audioCodec);
    EXPECT_EQ(out["streams.stream.0.nb_read_packets"], in["streams.stream.0.nb_read_packets"]);
    EXPECT_EQ(out["streams.stream.1.nb_read_packets"], in["streams.stream.1.nb_read_packets"]);
}

INSTANTIATE_TEST_SUITE_P(Movies, RemuxedStreams,
                         testing::Combine(testing::ValuesIn(kMovies),
                                          testing::Values(Feed::File, Feed::Pipe)),
                         [](const auto& test) {
                             std::string name = std::get<0>(test.param).name;
                             for (char& c : name) c = std::isalnum(c) ? c : '_';
                             return name +
                                    (std::get<1>(test.param) == Feed::File ? "_file" : "_pipe");
                         });

// The demuxer sees the same input either way, so a pipe must give the very same FLV.
TEST(RemuxedFile, PipeAndFileGiveTheSameBytes) {
    std::string input = makeMovie("index_last.mp4", "-c:v libx264 -c:a aac");
    ASSERT_EQ(runRemux(input, Feed::File, input + ".a.flv").status.code, 0);
    ASSERT_EQ(runRemux(input, Feed::Pipe, input + ".b.flv").status.code, 0);
    EXPECT_TRUE(readFile(input + ".a.flv") == readFile(input + ".b.flv"));
}

// Noise keeps the picture from compressing: 12 s come to about 18 MiB, more than twice the
// window of recent input the program keeps in memory. The audio of each moment is written 8 s
// of video (some 12 MiB) before its video, so the demuxer, reading both in time order, keeps
// going back behind the window for the audio.
std::string farApartMovie(const char* name, const char* movflags) {
    std::string path = makeMovie(name,
                                 std::string("-vf noise=alls=40:allf=t -c:v libx264 -preset "
                                             "ultrafast -c:a aac -audio_preload 8000000 ") +
                                     movflags,
                                 12);
    EXPECT_GT(std::filesystem::file_size(path), static_cast<std::uintmax_t>(2 * kDefaultWindow));
    return path;
}

void expectPipeGivesTheFileBytes(const std::string& input) {
    RemuxRun file = runRemux(input, Feed::File, input + ".a.flv");
    RemuxRun pipe = runRemux(input, Feed::Pipe, input + ".b.flv");
    ASSERT_EQ(file.status.code, 0) << file.errors;
    ASSERT_EQ(pipe.status.code, 0) << pipe.errors;
    EXPECT_TRUE(readFile(input + ".a.flv") == readFile(input + ".b.flv"));
}

// What left the window is read back from the spool, not taken for the bytes now in its place.
TEST(RemuxedFile, StreamsFarApartInALargeFileComeThroughAPipe) {
    expectPipeGivesTheFileBytes(farApartMovie("far_apart.mp4", "-movflags +faststart"));
}

// The whole file passes through the window before the index at its end is read.
TEST(RemuxedFile, LargeFileWithItsIndexLastComesThroughAPipe) {
    expectPipeGivesTheFileBytes(farApartMovie("far_apart_index_last.mp4", ""));
}

// x264 reorders frames: its first dts lies before zero in the MP4, and FLV carries none such.
TEST(RemuxedFile, TimestampsStartAtZeroAndKeepCompositionOffsets) {
    std::string input = makeMovie("faststart.mp4", "-c:v libx264 -c:a aac -movflags +faststart");
    std::string output = input + ".times.flv";
    ASSERT_EQ(runRemux(input, Feed::File, output).status.code, 0);
    PacketTimes in = videoPacketTimes(input);
    PacketTimes out = videoPacketTimes(output);
    ASSERT_FALSE(out.dts.empty());
    EXPECT_LT(in.dts.front(), 0);
    EXPECT_EQ(out.dts.front(), 0);
    for (size_t i = 1; i < out.dts.size(); ++i) EXPECT_LE(out.dts[i - 1], out.dts[i]) << i;
    EXPECT_EQ(out.offsets, in.offsets);
    EXPECT_NE(std::count(out.offsets.begin(), out.offsets.end(), 0), out.offsets.size());
}

}  // namespace

}  // namespace controls::webmovie::remux
