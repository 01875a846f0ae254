#include "platform/os/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace platform {

namespace {

std::string randomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix(6, ' ');
    for (char& c : suffix) c = kLetters[pick(engine)];
    return suffix;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool copyContent(int from, int to) {
    std::string buffer(1 << 20, '\0');
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n == 0;
        if (!writeAll(to, std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
            return false;
        }
    }
}

}  // namespace

int createTemporaryBeside(const std::string& target, std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target + ".tmp-" + randomSuffix();
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool renameOver(const std::string& temporary, const std::string& target, bool written) {
    if (written && ::rename(temporary.c_str(), target.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

bool replaceFileContent(const std::string& target, std::string_view text, bool sync) {
    std::string temporary;
    const int fd = createTemporaryBeside(target, temporary);
    if (fd < 0) return false;
    bool written = writeAll(fd, text) && (!sync || ::fsync(fd) == 0);
    written = ::close(fd) == 0 && written;
    return renameOver(temporary, target, written);
}

bool replaceFileWithCopy(const std::string& source, const std::string& target, int mode) {
    const int from = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (from < 0 || ::fstat(from, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (from >= 0) ::close(from);
        return false;
    }
    std::string temporary;
    const int fd = createTemporaryBeside(target, temporary);
    const mode_t bits = mode >= 0 ? static_cast<mode_t>(mode) : info.st_mode & 07777;
    bool written = fd >= 0 && copyContent(from, fd) && ::fchmod(fd, bits) == 0 && ::fsync(fd) == 0;
    if (fd >= 0) written = ::close(fd) == 0 && written;
    ::close(from);
    return fd >= 0 && renameOver(temporary, target, written);
}

}  // namespace platform
