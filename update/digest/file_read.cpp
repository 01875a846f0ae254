#include "update/digest/file_read.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/os/file_exception.h"

namespace {

// The file is read 1024 bytes at a time; the stream below asks the system for large blocks.
constexpr std::size_t kReadSize = 1024;
constexpr std::size_t kStreamBuffer = 1 << 20;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for reading and takes the shared lock that keeps locking writers out.
FilePtr openDenyingWriters(const std::string& path, char* streamBuffer) {
    // Without blocking, and only a regular file: a pipe or a device planted under a listed name
    // would otherwise hold the reader for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw platform::FileException(path, errno);
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        throw platform::FileException(path, error);
    }
    FilePtr file(fdopen(fd, "rb"));
    if (!file) {
        const int error = errno;
        ::close(fd);
        throw platform::FileException(path, error);
    }
    if (flock(fileno(file.get()), LOCK_SH | LOCK_NB) != 0) {
        throw platform::FileException(path, errno);
    }
    posix_fadvise(fileno(file.get()), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::setvbuf(file.get(), streamBuffer, _IOFBF, kStreamBuffer);
    return file;
}

}  // namespace

void readFileForDigest(const std::string& path,
                       const std::function<void(const char*, std::size_t)>& consume) {
    // One per thread, kept for its next file, and left uninitialised: a fresh megabyte for every
    // file, cleared by the allocator or faulted in page by page, costs as much as reading it.
    thread_local const std::unique_ptr<char[]> streamBuffer(new char[kStreamBuffer]);
    const FilePtr file = openDenyingWriters(path, streamBuffer.get());
    char block[kReadSize];
    std::size_t count;
    while ((count = fread_unlocked(block, 1, sizeof block, file.get())) > 0) consume(block, count);
    if (std::ferror(file.get())) throw platform::FileException(path, errno);
}
