// Files the program must refuse, from a pipe as from a regular file: status 1 and one line
// saying why, never a signal or a short FLV that looks whole.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "tests/controls/webmovie/remux/media_files.h"
#include "tests/controls/webmovie/remux/remux_process.h"

namespace {

std::string fast_start() {
    return read_file(make_movie("faststart.mp4", "-c:v libx264 -c:a aac -movflags +faststart"));
}

// Where the box of that type starts; the tests patch a few bytes of a real movie.
size_t box_at(const std::string& bytes, const char* type) {
    size_t at = bytes.find(type);
    EXPECT_NE(at, std::string::npos) << type;
    return at - 4;
}

void put_be(std::string& bytes, size_t at, uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * (width - 1 - i)));
}

std::string cut_in_the_middle() {
    std::string bytes = fast_start();
    return bytes.substr(0, bytes.size() / 2);
}

// ffmpeg leaves an 8-byte free box before mdat; both become one mdat with a 64-bit size.
std::string mdat_of_10_gib() {
    std::string bytes = fast_start();
    size_t at = box_at(bytes, "free");
    put_be(bytes, at, 1, 4);
    bytes.replace(at + 4, 4, "mdat");
    put_be(bytes, at + 8, uint64_t{10} << 30, 8);
    return bytes;
}

std::string random_after_ftyp() {
    std::string bytes = fast_start();
    std::string result = bytes.substr(0, box_at(bytes, "moov"));
    std::mt19937 random(7);
    for (int i = 0; i < 65536; ++i) result += static_cast<char>(random());
    return result;
}

// The sample size table claims 16 million samples, a table larger than one allocation may be.
std::string sample_sizes_beyond_memory() {
    std::string bytes = fast_start();
    put_be(bytes, box_at(bytes, "stsz") + 16, 0xFFFFFF, 4);
    return bytes;
}

// One size for a billion samples: no table to read, but an index the demuxer cannot build.
std::string billion_samples_of_one_size() {
    std::string bytes = fast_start();
    size_t at = box_at(bytes, "stsz");
    put_be(bytes, at + 12, 100, 4);
    put_be(bytes, at + 16, 0x3FFFFFF0, 4);
    return bytes;
}

struct Refusal {
    const char* name;
    std::string (*make)();
    const char* line;
    std::vector<std::string> args;
};

const Refusal kRefusals[] = {
    {"truncated", cut_in_the_middle, "the file is truncated", {}},
    {"mdat_of_10_gib", mdat_of_10_gib, "the file is truncated", {}},
    {"random_after_ftyp", random_after_ftyp, "the file is damaged", {}},
    {"hevc",
     [] {
         return read_file(make_movie("hevc.mp4",
                                     "-c:v libx265 -x265-params log-level=none "
                                     "-c:a aac"));
     },
     "the video codec hevc cannot be streamed as FLV",
     {}},
    {"opus",
     [] { return read_file(make_movie("opus.mp4", "-c:v libx264 -c:a libopus")); },
     "the audio codec opus cannot be streamed as FLV",
     {}},
    {"over_max_bytes", fast_start, "the file is larger than 10000 bytes", {"--max-bytes", "10000"}},
    {"sample_sizes_beyond_memory",
     sample_sizes_beyond_memory,
     "the file needs more memory than allowed",
     {}},
    {"billion_samples", billion_samples_of_one_size, "the file is damaged", {}},
    {"text", [] { return std::string("<html>not found</html>\n"); }, "not a video file", {}},
};

class Refused : public testing::TestWithParam<std::tuple<Refusal, Feed>> {};

TEST_P(Refused, WithOneLine) {
    auto [refusal, feed] = GetParam();
    std::string input = write_scratch(std::string(refusal.name) + ".mp4", refusal.make());
    RemuxRun run = run_remux(input, feed, input + ".flv", refusal.args);
    EXPECT_FALSE(run.status.signalled);
    EXPECT_EQ(run.status.code, 1);
    EXPECT_EQ(run.errors, std::string(refusal.line) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Files, Refused,
                         testing::Combine(testing::ValuesIn(kRefusals),
                                          testing::Values(Feed::File, Feed::Pipe)),
                         [](const auto& test) {
                             return std::string(std::get<0>(test.param).name) +
                                    (std::get<1>(test.param) == Feed::File ? "_file" : "_pipe");
                         });

// The control closes the stream when a movie stops it: no complaint then, but no success.
TEST(ClosedOutput, EndsQuietlyWithStatusOne) {
    std::string input = make_movie("faststart.mp4", "-c:v libx264 -c:a aac -movflags +faststart");
    int in = open(input.c_str(), O_RDONLY | O_CLOEXEC);
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    close(out[0]);
    std::string errors_path = input + ".closed.stderr";
    int err = open(errors_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid_t pid = start_remux(in, out[1], err);
    close(in);
    close(out[1]);
    close(err);
    ExitStatus status = wait_exit(pid);
    EXPECT_FALSE(status.signalled);
    EXPECT_EQ(status.code, 1);
    EXPECT_EQ(read_file(errors_path), "");
}

}  // namespace
