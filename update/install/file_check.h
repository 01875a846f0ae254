// The one test of whether a file is the one a manifest entry lists: its length, and its digests
// compared exactly as lower-case text.
#pragma once

#include <string>

#include "update/manifest/version_info.h"

namespace update {

// Which digests a file is read for.
enum class DigestRead {
    // The MD5 and, when the entry lists one, the SHA-256, both in one read: for a file that
    // comes from the server (a download, a leftover of one).
    both,
    // The SHA-256 alone when the entry lists one, else the MD5: for an installed copy, which
    // only has to be told from a changed one. SHA-256, which the processor's SHA instructions
    // compute faster than MD5, is the stronger digest and, in a manifest whose publisher lists
    // both, implies the other.
    strongest,
};

// Whether the file at `path` is the one `entry` lists; a negative `entry.length` is not
// compared. A file of another size is not read. False when the file cannot be read (missing,
// locked, not a regular file: see readFileForDigest).
bool isListedFile(const std::string& path, const FileEntry& entry, DigestRead read);

}  // namespace update
