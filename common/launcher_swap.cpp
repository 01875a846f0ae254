#include "common/launcher_swap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "common/console.h"
#include "platform/file_replace.h"

namespace fs = std::filesystem;

namespace {

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool copyContent(int from, int to) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n == 0;
        if (!writeAll(to, buffer.data(), static_cast<std::size_t>(n))) return false;
    }
}

// A download carries no mode: the launcher keeps the one it has, as overwriting it would; the
// pending file's counts only when there is no launcher yet.
mode_t modeFor(const fs::path& installed, const struct stat& pending) {
    struct stat info {};
    if (::stat(installed.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
    return pending.st_mode & 07777;
}

// Copies into a new temporary file beside the target (never reached through a link), synced,
// then renames it over the target: the target is either the old launcher or the whole new one.
bool replaceFile(const fs::path& from, const fs::path& to) {
    const int source = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (source < 0 || ::fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (source >= 0) ::close(source);
        return false;
    }
    std::string temporary;
    const int fd = platform::createTemporaryBeside(to.string(), temporary);
    // Synced before the rename, so not even a power cut leaves an empty launcher.
    bool written = fd >= 0 && copyContent(source, fd) && ::fchmod(fd, modeFor(to, info)) == 0 &&
                   ::fsync(fd) == 0;
    if (fd >= 0) written = ::close(fd) == 0 && written;
    ::close(source);
    return fd >= 0 && platform::renameOver(temporary, to.string(), written);
}

}  // namespace

void LauncherSwap::sleep100ms(int) { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }

bool swapPendingLauncher(const LauncherSwap& swap) {
    std::error_code error;
    if (!fs::is_regular_file(swap.pending, error)) return false;
    if (swap.logFound) consoleLog("finder.FindFile is true");
    for (int attempt = 1; attempt <= swap.attempts; ++attempt) {
        if (swap.wait) swap.wait(attempt);
        if (!replaceFile(swap.pending, swap.installed)) continue;
        if (swap.logFound) consoleLog("finder.FindFile is true");
        fs::remove(swap.pending, error);
        return true;
    }
    return false;
}
