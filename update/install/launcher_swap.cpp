#include "update/install/launcher_swap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <vector>

#include "common/console.h"
#include "platform/os/clock.h"
#include "platform/os/file_replace.h"
#include "update/install/update_receipt.h"

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

enum class Pending { none, verified, waiting, refused };

// Only the launcher of a release whose install completed, with the digests its receipt lists,
// may be swapped in; one staged for a release not yet installed waits for that install.
Pending checkPending(const fs::path& pending) {
    struct stat info {};
    if (::lstat(pending.c_str(), &info) != 0) return Pending::none;
    if (S_ISDIR(info.st_mode)) return Pending::none;
    if (!S_ISREG(info.st_mode)) return Pending::refused;
    const std::optional<update::Receipt> receipt =
        update::readReceipt(pending.parent_path().empty() ? "." : pending.parent_path().string());
    const update::StagedFile* file = receipt ? receipt->find(pending.filename().string()) : nullptr;
    if (!file || !update::matchesStagedFile(pending.string(), *file)) return Pending::refused;
    return receipt->installed ? Pending::verified : Pending::waiting;
}

}  // namespace

void LauncherSwap::sleep100ms(int) { platform::sleepFor(std::chrono::milliseconds(100)); }

bool swapPendingLauncher(const LauncherSwap& swap) {
    std::error_code error;
    const Pending pending = checkPending(swap.pending);
    if (pending == Pending::refused) {
        consoleLogf("LauncherSwap:%s does not match the update receipt, removed", swap.pending);
        ::unlink(swap.pending.c_str());
        return false;
    }
    if (pending != Pending::verified) return false;
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
