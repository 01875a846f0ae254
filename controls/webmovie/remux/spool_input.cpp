#include "controls/webmovie/remux/spool_input.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace controls::webmovie::remux {
namespace {

constexpr int64_t kChunk = 1 << 20;

std::string tempDir() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

// An unlinked file: nothing is left behind whatever way the program ends.
int openSpool() {
    std::string dir = tempDir();
    int fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != ENOENT)) return fd;
    std::string name = dir + "/vexo-flv-remux-XXXXXX";
    fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) unlink(name.c_str());
    return fd;
}

// Writes [from, to) of the window to the same place in the spool.
bool spoolRange(SpoolInput& input, int64_t from, int64_t to) {
    while (from < to) {
        int64_t at = from % input.windowSize;
        ssize_t n = pwrite(input.file, input.window.get() + at,
                           std::min(to - from, input.windowSize - at), from);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            input.readError = n < 0 ? errno : EIO;
            return false;
        }
        from += n;
        input.spooledBytes += n;
    }
    return true;
}

void drop(SpoolInput& input, int64_t from, int64_t to) {
    if (from >= to) return;
    if (!input.dropped.empty() && input.dropped.back().second == from) {
        input.dropped.back().second = to;
    } else {
        input.dropped.emplace_back(from, to);
    }
}

// Makes room in the window for the bytes up to end: the oldest leave it, into the spool or, below
// keepFrom, nowhere.
bool makeRoom(SpoolInput& input, int64_t end) {
    int64_t leaving = std::min(end - input.windowSize, input.arrived);
    if (leaving <= input.windowStart) return true;
    int64_t split = std::clamp(input.keepFrom, input.windowStart, leaving);
    drop(input, input.windowStart, split);
    bool ok = spoolRange(input, split, leaving);
    input.windowStart = leaving;
    return ok;
}

bool readable(int fd) {
    pollfd ready{fd, POLLIN, 0};
    return poll(&ready, 1, 0) == 1;
}

// Reads from the source straight into the window, a piece small enough that the demuxer's read
// that waits for it stays in the window too.
int64_t chunkOf(const SpoolInput& input) { return std::min(kChunk, input.windowSize / 4); }

// One more piece from the source; false when no more will come.
bool pull(SpoolInput& input) {
    // One byte over the limit is enough to know the file is too large.
    int64_t want = std::min(chunkOf(input), input.maxBytes + 1 - input.arrived);
    int64_t at = input.arrived % input.windowSize;
    want = std::min(want, input.windowSize - at);
    if (!makeRoom(input, input.arrived + want)) {
        input.ended = true;
        return false;
    }
    if (input.beforeWait && !readable(input.source)) input.beforeWait();
    ssize_t n = read(input.source, input.window.get() + at, want);
    if (n < 0 && errno == EINTR) return true;
    if (n < 0) input.readError = errno;
    if (n > 0) input.arrived += n;
    if (input.arrived > input.maxBytes) input.tooLarge = true;
    if (n <= 0 || input.tooLarge) input.ended = true;
    return !input.ended;
}

void copyFromWindow(const SpoolInput& input, uint8_t* buf, int64_t size, int64_t pos) {
    int64_t at = pos % input.windowSize;
    int64_t first = std::min(size, input.windowSize - at);
    std::memcpy(buf, input.window.get() + at, first);
    std::memcpy(buf + first, input.window.get(), size - first);
}

// How much of want bytes at pos (below the window) the spool holds, 0 when pos was dropped.
int64_t spooledAt(const SpoolInput& input, int64_t pos, int64_t want) {
    want = std::min(want, input.windowStart - pos);
    auto next = std::upper_bound(input.dropped.begin(), input.dropped.end(), pos,
                                 [](int64_t p, const auto& range) { return p < range.second; });
    if (next == input.dropped.end()) return want;
    if (next->first <= pos) return 0;
    return std::min(want, next->first - pos);
}

}  // namespace

std::string openSpoolInput(int fd, int64_t maxBytes, SpoolInput& input, int64_t windowSize) {
    input = SpoolInput{};
    input.source = fd;
    input.maxBytes = maxBytes;
    struct stat st {};
    if (fstat(fd, &st) != 0) return "cannot read the file: " + std::string(strerror(errno));
    if (S_ISREG(st.st_mode)) {
        input.file = fd;
        input.arrived = st.st_size;
        input.ended = true;
        input.tooLarge = st.st_size > maxBytes;
        return "";
    }
    // A larger pipe lets the sender run ahead of the demuxer, so both wake less often.
    fcntl(fd, F_SETPIPE_SZ, kChunk);
    input.file = openSpool();
    if (input.file < 0) return "cannot make a temporary file: " + std::string(strerror(errno));
    input.spooled = true;
    input.window.reset(new uint8_t[windowSize]);
    input.windowSize = windowSize;
    return "";
}

void closeSpoolInput(SpoolInput& input) {
    if (input.spooled) close(input.file);
    input.file = -1;
    input.window.reset();
}

bool waitForBytes(SpoolInput& input, int64_t end) {
    while (input.arrived < end && !input.ended) pull(input);
    return input.arrived >= end;
}

int readSpooled(SpoolInput& input, uint8_t* buf, int size, int64_t pos) {
    // A read of more than half the window would push its own first bytes out of it.
    if (input.window) size = static_cast<int>(std::min<int64_t>(size, input.windowSize / 2));
    // The first byte only: waiting for all that is asked for would hold back the last frames
    // that arrived before a pause, and a stream that pauses must still play what it has.
    waitForBytes(input, pos + 1);
    if (input.tooLarge) return -EFBIG;
    if (pos >= input.arrived) return input.readError ? -input.readError : 0;
    int64_t want = std::min<int64_t>(size, input.arrived - pos);
    if (input.window && pos >= input.windowStart) {
        copyFromWindow(input, buf, want, pos);
        return static_cast<int>(want);
    }
    if (input.window) {
        want = spooledAt(input, pos, want);
        if (want == 0) {
            // Only a file that has the demuxer read a sample's bytes twice gets here.
            input.readError = ESPIPE;
            return -ESPIPE;
        }
    }
    for (;;) {
        ssize_t n = pread(input.file, buf, want, pos);
        if (n >= 0) return static_cast<int>(n);
        if (errno != EINTR) return -errno;
    }
}

int64_t knownSize(const SpoolInput& input) { return input.ended ? input.arrived : -1; }

std::string tooLargeReason(const SpoolInput& input) {
    return "the file is larger than " + std::to_string(input.maxBytes) + " bytes";
}

}  // namespace controls::webmovie::remux
