// Swapping in a launcher that an update left in update/ because the running launcher could
// not replace itself. The player and the updater both make this swap at their start.
#pragma once

#include <functional>
#include <string>

struct LauncherSwap {
    std::string pending = "update/VexoClient.exe";
    std::string installed = "VexoClient.exe";
    int attempts = 10;
    // Runs before every attempt, the first included, with the attempt's number from 1: the
    // exiting launcher gets time to let go of its file. Sleeps 100 ms.
    std::function<void(int attempt)> wait = sleep100ms;
    // The player logs "finder.FindFile is true" when it finds the pending file and again when
    // it has copied it; the updater logs nothing.
    bool logFound = false;

    static void sleep100ms(int attempt);
};

// Only a pending launcher that the update receipt beside it lists, with the listed length and
// digests, of a release whose install completed, is swapped in (update/update_receipt.h). Any
// other file or link under that name is removed and logged; one of a release not yet installed
// stays where it is. If `swap.pending` is such a file, tries up to `swap.attempts` times to put it
// in place of `swap.installed`, then deletes it. The new file is written to a new temporary file
// beside `installed` (see platform/os/file_replace.h: never through a link), synced and renamed
// over it, so an interrupted swap leaves either the old launcher or the whole new one; it keeps the
// old launcher's permissions (a download has none worth keeping), or the pending file's when there
// was no launcher. A target that cannot be replaced (a folder in its place, no write access) fails
// every attempt and leaves the pending file for the next start. Returns whether it swapped.
bool swapPendingLauncher(const LauncherSwap& swap);
