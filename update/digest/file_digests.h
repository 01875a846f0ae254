// The digests a manifest lists for a file, computed in one read of the file.
#pragma once

#include <string>

struct FileDigests {
    std::string md5;     // as md5OfFile gives it
    std::string sha256;  // as Sha256::hexDigest gives it; empty when not asked for
};

// The MD5 of the file at `path` and, when `withSha256`, its SHA-256 from the same read.
// Throws platform::FileException as readFileForDigest does.
FileDigests digestFile(const std::string& path, bool withSha256);
