#include "controls/webmovie/folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace controls::webmovie {
namespace {

bool isPlainSegment(std::string_view segment) {
    return !segment.empty() && segment != "." && segment != ".." &&
           segment.find('\0') == std::string_view::npos;
}

// The directory `name` inside `directory`, not reached through a link; -1 when there is none.
int openSubdirectory(int directory, const std::string& name) {
    int fd = openat(directory, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info {};
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

// The regular file `name` inside `directory`. Its type is looked at before opening, so that
// nothing else (a device, a pipe) is ever opened, and again after, in case it was swapped.
int openRegularFile(int directory, const std::string& name) {
    struct stat info {};
    if (fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode)) {
        return -1;
    }
    int fd =
        openat(directory, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::optional<Folder> Folder::open(const std::string& path) {
    int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    return Folder(fd, path);
}

Folder::Folder(Folder&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) {
    other.fd_ = -1;
}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

Folder::~Folder() {
    if (fd_ >= 0) close(fd_);
}

int Folder::openFile(std::string_view relative) const {
    int directory = fd_;
    int owned = -1;  // the directory of the current step, when it is not the folder itself
    int file = -1;
    while (directory >= 0) {
        std::size_t slash = relative.find('/');
        std::string_view segment = relative.substr(0, slash);
        if (!isPlainSegment(segment)) break;
        if (slash == std::string_view::npos) {
            file = openRegularFile(directory, std::string(segment));
            break;
        }
        int next = openSubdirectory(directory, std::string(segment));
        if (owned >= 0) close(owned);
        directory = owned = next;
        relative.remove_prefix(slash + 1);
    }
    if (owned >= 0) close(owned);
    return file;
}

}  // namespace controls::webmovie
