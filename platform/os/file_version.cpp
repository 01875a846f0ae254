#include "platform/os/file_version.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <vector>

namespace platform {

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

std::uint32_t littleEndianAt(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

FixedFileInfo blockAt(const unsigned char* bytes) {
    std::uint32_t words[kFixedFileInfoSize / 4];
    for (std::size_t i = 0; i < std::size(words); ++i) words[i] = littleEndianAt(bytes + 4 * i);
    return FixedFileInfo{words[0], words[1], words[2], words[3],  words[4],  words[5], words[6],
                         words[7], words[8], words[9], words[10], words[11], words[12]};
}

// read(2) without giving up on an interrupted call: bytes read, 0 at the end, -1 on error.
ssize_t readSome(int fd, unsigned char* into, std::size_t size) {
    ssize_t got = 0;
    do {
        got = read(fd, into, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

std::optional<FixedFileInfo> scan(int fd) {
    // The buffer's first byte is always at a file offset divisible by 4; after each chunk at most
    // the start of one unfinished block is kept.
    std::vector<unsigned char> buffer(kChunkSize + kFixedFileInfoSize);
    std::size_t held = 0;
    for (;;) {
        const ssize_t got = readSome(fd, buffer.data() + held, kChunkSize);
        if (got <= 0) return std::nullopt;
        held += static_cast<std::size_t>(got);
        std::size_t at = 0;
        for (; at + kFixedFileInfoSize <= held; at += 4) {
            if (littleEndianAt(buffer.data() + at) == kFixedFileInfoSignature &&
                littleEndianAt(buffer.data() + at + 4) == kFixedFileInfoStructVersion)
                return blockAt(buffer.data() + at);
        }
        std::memmove(buffer.data(), buffer.data() + at, held - at);
        held -= at;
    }
}

}  // namespace

std::optional<FixedFileInfo> readFixedFileInfo(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    std::optional<FixedFileInfo> info;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) info = scan(fd);
    close(fd);
    return info;
}

}  // namespace platform
