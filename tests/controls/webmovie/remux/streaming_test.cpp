// A fast-start file streams: its first frames leave the program while the rest has yet to come.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "tests/controls/webmovie/remux/media_files.h"
#include "tests/controls/webmovie/remux/remux_process.h"

namespace controls::webmovie::remux {
namespace {

// Whether the FLV so far holds a video tag with a frame in it (not the decoder configuration
// the header brings).
bool hasVideoFrame(const std::string& flv) {
    for (size_t at = 13; at + 13 <= flv.size();) {
        size_t size =
            (uint8_t(flv[at + 1]) << 16) | (uint8_t(flv[at + 2]) << 8) | uint8_t(flv[at + 3]);
        if (flv[at] == 9 && size >= 2 && at + 13 <= flv.size() && flv[at + 12] == 1) return true;
        at += 11 + size + 4;
    }
    return false;
}

// What fd gives until it holds a video frame, ends, or (only so that a broken program cannot
// hang the run) stays silent for a minute.
std::string readUntilVideoFrame(int fd) {
    std::string flv;
    char buf[65536];
    pollfd ready{fd, POLLIN, 0};
    while (!hasVideoFrame(flv) && poll(&ready, 1, 60000) == 1) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        flv.append(buf, n);
    }
    return flv;
}

void drain(int fd) {
    char buf[65536];
    while (read(fd, buf, sizeof buf) > 0) {
    }
    close(fd);
}

TEST(Streaming, FirstFramesLeaveBeforeTheFileHasArrived) {
    // Noise keeps the picture from compressing, so that the part sent is well over a pipe's
    // buffer and a few frames, and a good part of the file. It is less than the program buffers
    // before writing (1 MiB): the frame leaves because the program writes what it has when its
    // input has to wait.
    constexpr size_t kPart = 384 * 1024;
    std::string movie =
        readFile(makeMovie("noise.mp4",
                           "-vf noise=alls=40:allf=t -c:v libx264 -preset ultrafast -c:a aac "
                           "-movflags +faststart"));
    int in[2], out[2];
    ASSERT_EQ(pipe2(in, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    std::string errorsPath = scratchDir() + "/streaming.stderr";
    int err = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid_t pid = startRemux(in[0], out[1], err);
    close(in[0]);
    close(out[1]);
    close(err);
    // The input closes only once the frame has been seen.
    std::promise<void> frameSeen;
    std::thread writer([&] {
        writeAll(in[1], movie.substr(0, kPart));
        frameSeen.get_future().wait();
        close(in[1]);
    });
    std::string flv = readUntilVideoFrame(out[0]);
    frameSeen.set_value();
    drain(out[0]);
    writer.join();
    ASSERT_GT(movie.size(), 2 * kPart);
    EXPECT_TRUE(hasVideoFrame(flv)) << "no frame from the first " << kPart << " bytes";
    EXPECT_EQ(flv.substr(0, 3), "FLV");
    ExitStatus status = waitExit(pid);
    EXPECT_EQ(status.code, 1);
    EXPECT_EQ(readFile(errorsPath), "the file is truncated\n");
}

}  // namespace

}  // namespace controls::webmovie::remux
