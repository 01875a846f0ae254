#include "controls/webmovie/remux/spool_input.h"

#include <fcntl.h>
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

// Copies what the source holds, up to want bytes, to the end of the spool. (splice() measured
// no faster: the pipe stays locked while the file takes the pages.)
ssize_t moveToSpool(SpoolInput& input, int64_t want) {
    static char buf[kChunk];
    ssize_t n = read(input.source, buf, std::min<int64_t>(want, sizeof buf));
    for (ssize_t done = 0; done < n;) {
        ssize_t w = pwrite(input.file, buf + done, n - done, input.arrived + done);
        if (w < 0 && errno != EINTR) return -1;
        done += std::max<ssize_t>(w, 0);
    }
    return n;
}

// One more piece from the source; false when no more will come.
bool pull(SpoolInput& input) {
    // One byte over the limit is enough to know the file is too large.
    int64_t want = std::min(kChunk, input.maxBytes + 1 - input.arrived);
    ssize_t n = moveToSpool(input, want);
    if (n < 0 && errno == EINTR) return true;
    if (n < 0) input.readError = errno;
    if (n > 0) input.arrived += n;
    if (input.arrived > input.maxBytes) input.tooLarge = true;
    if (n <= 0 || input.tooLarge) input.ended = true;
    return !input.ended;
}

}  // namespace

std::string openSpoolInput(int fd, int64_t maxBytes, SpoolInput& input) {
    input = SpoolInput{.source = fd, .maxBytes = maxBytes};
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
    return "";
}

void closeSpoolInput(SpoolInput& input) {
    if (input.spooled) close(input.file);
    input.file = -1;
}

bool waitForBytes(SpoolInput& input, int64_t end) {
    while (input.arrived < end && !input.ended) pull(input);
    return input.arrived >= end;
}

int readSpooled(SpoolInput& input, uint8_t* buf, int size, int64_t pos) {
    // All that is asked for, not the first byte of it: fewer and larger reads from a pipe that
    // a fast sender fills in small pieces.
    waitForBytes(input, pos + size);
    if (input.tooLarge) return -EFBIG;
    if (pos >= input.arrived) return input.readError ? -input.readError : 0;
    size_t want = std::min<int64_t>(size, input.arrived - pos);
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
