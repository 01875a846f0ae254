#include "common/launcher_swap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <vector>

#include "common/console.h"
#include "platform/clock.h"
#include "platform/file_replace.h"

namespace fs = std::filesystem;

namespace {

// A download carries no mode: the launcher keeps the one it has, as overwriting it would; the
// pending file's counts only when there is no launcher yet.
mode_t modeFor(const fs::path& installed, const struct stat& pending) {
    struct stat info {};
    if (::stat(installed.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
    return pending.st_mode & 07777;
}

// A copy beside the target, synced and renamed over it: the target is either the old launcher
// or the whole new one, even after a power cut.
bool replaceFile(const fs::path& from, const fs::path& to) {
    struct stat pending {};
    if (::stat(from.c_str(), &pending) != 0) return false;
    return platform::replaceFileWithCopy(from.string(), to.string(),
                                         static_cast<int>(modeFor(to, pending)));
}

}  // namespace

void LauncherSwap::sleep100ms(int) { platform::sleepFor(std::chrono::milliseconds(100)); }

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
