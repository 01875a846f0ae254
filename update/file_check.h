// The one test of whether a file is the one a manifest entry lists: its length, its MD5 and,
// when the entry lists one, its SHA-256 (digests compared exactly, as lower-case text).
#pragma once

#include <string>

#include "update/version_info.h"

namespace update {

// How a file is read for its digests.
enum class DigestRead {
    // MD5 and SHA-256 in one read: for a file that is most likely the listed one (a download).
    once,
    // The SHA-256 in a second read, only when the MD5 is the listed one: for a file that may
    // well have changed (an installed copy), so that a changed file costs no SHA-256.
    md5First,
};

// Whether the file at `path` is the one `entry` lists; a negative `entry.length` is not
// compared. A file of another size is not read. False when the file cannot be read (missing,
// locked, not a regular file: see readFileForDigest).
bool isListedFile(const std::string& path, const FileEntry& entry, DigestRead read);

}  // namespace update
