// Swapping in a launcher that an update left in update/ because the running launcher could
// not replace itself.
#pragma once

#include <string>

// If `pending` exists, tries up to `attempts` times, `waitMs` before each try, to put it in
// place of `installed`, then deletes it. The new file is written beside `installed` and renamed
// over it, so an interrupted copy never leaves a truncated launcher. Returns whether it swapped.
bool swapPendingLauncher(const std::string& pending = "update/VexoClient.exe",
                         const std::string& installed = "VexoClient.exe", int attempts = 10,
                         int waitMs = 100);
