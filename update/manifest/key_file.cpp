#include "update/manifest/key_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "update/digest/sha256.h"
#include "update/manifest/release_files.h"

namespace update {

namespace {

// Room for the 88 characters and a line break, with some to spare to tell a longer file.
constexpr std::size_t kMaxKeyFileSize = 128;

[[noreturn]] void fail(const std::string& path, const std::string& why) {
    throw ReleaseError(path + ": " + why);
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The whole content of an owner-only regular file of at most kMaxKeyFileSize bytes, and in
// `info` the file's status.
std::string readPrivateFile(const std::string& path, struct stat& info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) fail(path, std::strerror(errno));
    std::string text(kMaxKeyFileSize + 1, '\0');
    ssize_t count = -1;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 077) == 0) {
        count = ::read(fd, text.data(), text.size());
    }
    ::close(fd);
    if (!S_ISREG(info.st_mode)) fail(path, "not a regular file");
    if ((info.st_mode & 077) != 0) fail(path, "readable or writable by others (chmod 600 it)");
    if (count < 0) fail(path, "cannot be read");
    text.resize(static_cast<std::size_t>(count));
    return text;
}

}  // namespace

void createSecretKeyFile(const std::string& path, const SecretKey& key) {
    // O_EXCL also refuses a symbolic link, dangling or not: nothing is written through one.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        fail(path, errno == EEXIST ? "exists already; a secret key is never overwritten"
                                   : std::strerror(errno));
    }
    std::string text = encodeSecretKey(key) + "\n";
    const bool written = ::fchmod(fd, 0600) == 0 && writeAll(fd, text) && ::fsync(fd) == 0;
    wipe(text.data(), text.size());
    if (::close(fd) != 0 || !written) {
        ::unlink(path.c_str());
        fail(path, "cannot be written");
    }
}

SecretKey readSecretKeyFile(const std::string& path, FileMark* mark) {
    struct stat info {};
    std::string text = readPrivateFile(path, info);
    if (mark) *mark = FileMark{info.st_dev, info.st_ino, sha256Of(text)};
    std::string_view line(text);
    if (line.ends_with('\n')) line.remove_suffix(1);
    std::optional<SecretKey> key = decodeSecretKey(line);
    wipe(text.data(), text.size());
    if (!key) fail(path, "not a secret key made by vexo-keygen");
    return *key;
}

}  // namespace update
