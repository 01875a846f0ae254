// Reading a file for its digests: the one way the update code opens a file it digests.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Hands the bytes of the file at `path` to `consume`, in order, in pieces of at most 1024
// bytes. The file is held with a shared advisory lock (flock) while it is read, so a writer that
// locks it exclusively is kept out; one that holds such a lock already makes the open fail.
// Throws platform::FileException when the file cannot be opened (missing, no access, locked by a
// writer), is not a regular file (a directory, a pipe, a device: never waited on) or a read
// fails; `consume` may then have seen part of the file.
void readFileForDigest(const std::string& path,
                       const std::function<void(const char*, std::size_t)>& consume);
