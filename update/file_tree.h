// The install step of the update run: the download folder copied over the installation, then
// emptied. Paths are relative to the current directory or absolute.
//
// Entries are visited in byte order of their names, so a failure always stops at the same
// place. Only regular files and directories are followed; a symbolic link or any other kind of
// entry is passed over (and left where it is), never copied or deleted through.
#pragma once

#include <string>

namespace update {

// Copies every file below `source` to the same place below `destination`, creating folders as
// needed; `skipName` (empty: none) names a top-level entry of `source` to leave out. Each file
// is written to a temporary file beside its target, synced and renamed over it, with the
// source's permission bits: a target is always either its old or its new content. Stops at the
// first file that cannot be replaced and returns false; files not yet visited stay untouched.
bool copyDirectory(const std::string& source, const std::string& destination,
                   const std::string& skipName);

// Deletes every file below `directory` except the top-level entry `skipName`; folders stay.
// Stops at the first file that cannot be deleted and returns false.
bool deleteFiles(const std::string& directory, const std::string& skipName);

// Replaces `target` with a copy of `source` as `copyDirectory` does for each file.
bool replaceFile(const std::string& source, const std::string& target);

}  // namespace update
