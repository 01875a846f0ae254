// The install step of the update run: the download folder copied over the installation, then
// emptied. Paths are relative to the current directory or absolute.
//
// Entries are visited in byte order of their names, so a failure always stops at the same
// place. Only regular files and directories are followed; a symbolic link or any other kind of
// entry is passed over (and left where it is), never copied or deleted through.
#pragma once

#include <string>

namespace update {

// Puts every file below `source` at the same place below `destination`, creating folders as
// needed; `skipName` (empty: none) names a top-level entry of `source` to leave out. Within one
// file system a file is renamed into place (it leaves `source`); across file systems it is
// copied to a temporary file beside its target, synced and renamed over it, with the source's
// permission bits. Either way a target is always its old or its new content, never a part.
// Stops at the first file that cannot be put in place and returns false; files not yet
// visited stay untouched.
bool copyDirectory(const std::string& source, const std::string& destination,
                   const std::string& skipName);

// Deletes every file below `directory` except the top-level entry `skipName`; folders stay.
// Stops at the first file that cannot be deleted and returns false.
bool deleteFiles(const std::string& directory, const std::string& skipName);

// Writes everything of the file system that holds `path` to disk (syncfs): one call before the
// renames of an install instead of one per file. False when it cannot be done.
bool syncFileSystemOf(const std::string& path);
// Starts writing the data of the regular file at `path` to disk without waiting for it, so that
// a later syncFileSystemOf finds it written and waits only for the rest. Only a hint: nothing
// is promised until that sync.
void startWritingOut(const std::string& path);

// Replaces `target` with a copy of `source` as `copyDirectory` does for each file.
bool replaceFile(const std::string& source, const std::string& target);

}  // namespace update
