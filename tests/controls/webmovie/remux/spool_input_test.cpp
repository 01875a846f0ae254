// A pipe's input in a small window: what leaves it is spooled unless the demuxer is done with
// it, and a byte is either the one that arrived at its place or an error, never another.
#include "controls/webmovie/remux/spool_input.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/controls/webmovie/remux/media_files.h"
#include "tests/controls/webmovie/remux/remux_process.h"

namespace controls::webmovie::remux {
namespace {

constexpr int64_t kWindow = 64 * 1024;
constexpr int kInputSize = 1 << 20;

// No two nearby bytes alike, so that bytes from another place cannot pass for the right ones.
std::string pattern(int size) {
    std::string bytes(size, '\0');
    uint32_t x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245 + 12345;
        c = static_cast<char>(x >> 16);
    }
    return bytes;
}

// The input on the read end of a pipe that a thread fills with `bytes` and closes.
class RemuxPipedInput : public ::testing::Test {
  protected:
    void start(const std::string& bytes) {
        int fds[2];
        ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
        readEnd_ = fds[0];
        writer_ = std::thread([fd = fds[1], bytes] {
            writeAll(fd, bytes);
            close(fd);
        });
        ASSERT_EQ(openSpoolInput(readEnd_, kInputSize * 2, input_, kWindow), "");
    }
    void TearDown() override {
        closeSpoolInput(input_);
        if (readEnd_ >= 0) close(readEnd_);  // a writer still writing then stops
        if (writer_.joinable()) writer_.join();
    }
    // Reads size bytes at pos as the demuxer does, in pieces; "" on an error.
    std::string read(int64_t pos, int size, int piece = 7919) {
        std::string out;
        std::vector<uint8_t> buf(piece);
        while (static_cast<int>(out.size()) < size) {
            int want = std::min<int>(piece, size - static_cast<int>(out.size()));
            int n = readSpooled(input_, buf.data(), want, pos + static_cast<int64_t>(out.size()));
            if (n <= 0) return "";
            out.append(reinterpret_cast<char*>(buf.data()), n);
        }
        return out;
    }

    SpoolInput input_;
    int readEnd_ = -1;
    std::thread writer_;
};

TEST_F(RemuxPipedInput, BytesThatLeftTheWindowAreReadBackFromTheSpool) {
    std::string bytes = pattern(kInputSize);
    start(bytes);
    EXPECT_TRUE(read(0, kInputSize) == bytes);
    EXPECT_GT(input_.spooledBytes, kInputSize - 2 * kWindow);
    // Back over all of it, in pieces that cross the window's wrap and the spool's end.
    EXPECT_TRUE(read(0, kInputSize, 30011) == bytes);
    EXPECT_TRUE(read(kInputSize - kWindow - 100, 200) ==
                bytes.substr(kInputSize - kWindow - 100, 200));
}

TEST_F(RemuxPipedInput, BytesBelowKeepFromAreDroppedAndNeverReadAsOthers) {
    std::string bytes = pattern(kInputSize);
    start(bytes);
    input_.keepFrom = INT64_MAX;
    EXPECT_TRUE(read(0, kInputSize) == bytes);
    EXPECT_EQ(input_.spooledBytes, 0);
    uint8_t buf[16];
    EXPECT_EQ(readSpooled(input_, buf, sizeof buf, 0), -ESPIPE);
    EXPECT_EQ(input_.readError, ESPIPE);
}

TEST_F(RemuxPipedInput, BytesSkippedOverAreKeptFromKeepFromOn) {
    std::string bytes = pattern(kInputSize);
    start(bytes);
    input_.keepFrom = 300000;
    EXPECT_TRUE(read(900000, 1000) == bytes.substr(900000, 1000));
    EXPECT_TRUE(read(300000, 5000) == bytes.substr(300000, 5000));
    EXPECT_LT(input_.spooledBytes, kInputSize - 300000);
    uint8_t buf[16];
    EXPECT_EQ(readSpooled(input_, buf, sizeof buf, 299990), -ESPIPE);
}

// A read that would wait for the source first lets out what is ready: here the hook is what
// makes the rest of the input come.
TEST_F(RemuxPipedInput, WaitingForTheSourceCallsBeforeWait) {
    std::string bytes = pattern(kInputSize);
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    readEnd_ = fds[0];
    std::mutex mutex;
    std::condition_variable changed;
    bool waiting = false;
    writer_ = std::thread([&, fd = fds[1]] {
        writeAll(fd, bytes.substr(0, 1000));
        std::unique_lock lock(mutex);
        // Only so that a broken hook cannot hang the run.
        changed.wait_for(lock, std::chrono::minutes(1), [&] { return waiting; });
        lock.unlock();
        writeAll(fd, bytes.substr(1000));
        close(fd);
    });
    ASSERT_EQ(openSpoolInput(readEnd_, kInputSize * 2, input_, kWindow), "");
    int calls = 0;
    input_.beforeWait = [&] {
        ++calls;
        std::lock_guard lock(mutex);
        waiting = true;
        changed.notify_all();
    };
    EXPECT_TRUE(read(0, kInputSize) == bytes);
    EXPECT_GE(calls, 1);
}

TEST(RemuxRegularFileInput, IsReadInPlace) {
    std::string bytes = pattern(100000);
    int fd = open(writeScratch("in_place.bin", bytes).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    SpoolInput input;
    ASSERT_EQ(openSpoolInput(fd, 1 << 20, input, kWindow), "");
    EXPECT_FALSE(input.spooled);
    EXPECT_EQ(knownSize(input), 100000);
    std::vector<uint8_t> buf(100);
    ASSERT_EQ(readSpooled(input, buf.data(), 100, 5000), 100);
    EXPECT_TRUE(std::string(buf.begin(), buf.end()) == bytes.substr(5000, 100));
    closeSpoolInput(input);
    close(fd);
}

}  // namespace
}  // namespace controls::webmovie::remux
