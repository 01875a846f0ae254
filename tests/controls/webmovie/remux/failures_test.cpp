// Files the program must refuse, from a pipe as from a regular file: status 1 and one line
// saying why, never a signal or a short FLV that looks whole.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "tests/controls/webmovie/remux/media_files.h"
#include "tests/controls/webmovie/remux/remux_process.h"

namespace controls::webmovie::remux {
namespace {

std::string fastStart() {
    return readFile(makeMovie("faststart.mp4", "-c:v libx264 -c:a aac -movflags +faststart"));
}

// Where the box of that type starts; the tests patch a few bytes of a real movie.
size_t boxAt(const std::string& bytes, const char* type) {
    size_t at = bytes.find(type);
    EXPECT_NE(at, std::string::npos) << type;
    return at - 4;
}

void putBe(std::string& bytes, size_t at, uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * (width - 1 - i)));
}

std::string cutInTheMiddle() {
    std::string bytes = fastStart();
    return bytes.substr(0, bytes.size() / 2);
}

// ffmpeg leaves an 8-byte free box before mdat; both become one mdat with a 64-bit size.
std::string mdatOf10Gib() {
    std::string bytes = fastStart();
    size_t at = boxAt(bytes, "free");
    putBe(bytes, at, 1, 4);
    bytes.replace(at + 4, 4, "mdat");
    putBe(bytes, at + 8, uint64_t{10} << 30, 8);
    return bytes;
}

std::string randomAfterFtyp() {
    std::string bytes = fastStart();
    std::string result = bytes.substr(0, boxAt(bytes, "moov"));
    std::mt19937 random(7);
    for (int i = 0; i < 65536; ++i) result += static_cast<char>(random());
    return result;
}

// The sample size table claims 16 million samples, a table larger than one allocation may be.
std::string sampleSizesBeyondMemory() {
    std::string bytes = fastStart();
    putBe(bytes, boxAt(bytes, "stsz") + 16, 0xFFFFFF, 4);
    return bytes;
}

// One size for a billion samples: no table to read, but an index the demuxer cannot build.
std::string billionSamplesOfOneSize() {
    std::string bytes = fastStart();
    size_t at = boxAt(bytes, "stsz");
    putBe(bytes, at + 12, 100, 4);
    putBe(bytes, at + 16, 0x3FFFFFF0, 4);
    return bytes;
}

struct Refusal {
    const char* name;
    std::string (*make)();
    const char* line;
    std::vector<std::string> args;
};

const Refusal kRefusals[] = {
    {"truncated", cutInTheMiddle, "the file is truncated", {}},
    {"mdat_of_10_gib", mdatOf10Gib, "the file is truncated", {}},
    {"random_after_ftyp", randomAfterFtyp, "the file is damaged", {}},
    {"hevc",
     [] {
         return readFile(makeMovie("hevc.mp4",
                                   "-c:v libx265 -x265-params log-level=none "
                                   "-c:a aac"));
     },
     "the video codec hevc cannot be streamed as FLV",
     {}},
    {"opus",
     [] { return readFile(makeMovie("opus.mp4", "-c:v libx264 -c:a libopus")); },
     "the audio codec opus cannot be streamed as FLV",
     {}},
    {"over_max_bytes", fastStart, "the file is larger than 10000 bytes", {"--max-bytes", "10000"}},
    {"sample_sizes_beyond_memory",
     sampleSizesBeyondMemory,
     "the file needs more memory than allowed",
     {}},
    {"billion_samples", billionSamplesOfOneSize, "the file is damaged", {}},
    {"text", [] { return std::string("<html>not found</html>\n"); }, "not a video file", {}},
};

class Refused : public testing::TestWithParam<std::tuple<Refusal, Feed>> {};

TEST_P(Refused, WithOneLine) {
    auto [refusal, feed] = GetParam();
    std::string input = writeScratch(std::string(refusal.name) + ".mp4", refusal.make());
    RemuxRun run = runRemux(input, feed, input + ".flv", refusal.args);
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
    std::string input = makeMovie("faststart.mp4", "-c:v libx264 -c:a aac -movflags +faststart");
    int in = open(input.c_str(), O_RDONLY | O_CLOEXEC);
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    close(out[0]);
    std::string errorsPath = input + ".closed.stderr";
    int err = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid_t pid = startRemux(in, out[1], err);
    close(in);
    close(out[1]);
    close(err);
    ExitStatus status = waitExit(pid);
    EXPECT_FALSE(status.signalled);
    EXPECT_EQ(status.code, 1);
    EXPECT_EQ(readFile(errorsPath), "");
}

}  // namespace

}  // namespace controls::webmovie::remux
