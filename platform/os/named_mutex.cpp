#include "platform/os/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>

#include "platform/os/runtime_dir.h"

namespace platform {

std::unique_ptr<NamedMutex> NamedMutex::create(const std::string& name) {
    // An advisory lock on a file: the kernel drops it when the process dies, and O_CLOEXEC
    // keeps it out of started programs.
    // Without a runtime directory there is nothing to share: the process runs as the only one.
    const std::string dir = runtimeDirectory();
    if (dir.empty()) return std::unique_ptr<NamedMutex>(new NamedMutex(-1, false));
    const std::string path = dir + "/" + name + ".mutex";
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::fprintf(stderr, "vexo: cannot create the mutex %s\n", path.c_str());
        return std::unique_ptr<NamedMutex>(new NamedMutex(-1, false));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return std::unique_ptr<NamedMutex>(new NamedMutex(fd, false));
    ::close(fd);
    return std::unique_ptr<NamedMutex>(new NamedMutex(-1, true));
}

NamedMutex::~NamedMutex() { close(); }

void NamedMutex::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace platform
