#include "common/launcher_swap.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/console.h"

namespace fs = std::filesystem;

namespace {

// Copies to a temporary file in the target's directory, then renames it over the target:
// the target is either the old launcher or the whole new one, never a part.
bool replaceFile(const fs::path& from, const fs::path& to) {
    const fs::path temporary = to.string() + ".swap-" + std::to_string(getpid());
    std::error_code error;
    if (!fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, error)) {
        fs::remove(temporary, error);
        return false;
    }
    // A download carries no mode: the launcher keeps the one it has, as overwriting it would.
    const fs::file_status installed = fs::status(to, error);
    if (fs::is_regular_file(installed)) fs::permissions(temporary, installed.permissions(), error);
    // On disk before the rename, so not even a power cut leaves an empty launcher.
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!synced) {
        fs::remove(temporary, error);
        return false;
    }
    fs::rename(temporary, to, error);
    if (!error) return true;
    fs::remove(temporary, error);
    return false;
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
