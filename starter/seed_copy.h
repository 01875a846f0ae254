// Copies the package's read-only copy of the installation into a new folder of the user's.
#pragma once

#include <filesystem>
#include <string>

namespace starter {

// Copies the tree under `from` into the existing empty folder `to`: folders, regular files
// (made writable by their owner, executable bits kept) and links as links; anything else is
// refused. Then flushes the file system that holds `to`, so the copy is on disk before it is
// renamed into place. Returns an empty text, or what failed (a full disk among others).
std::string copySeed(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace starter
