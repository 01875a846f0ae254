#include "update/install/file_check.h"

#include <sys/stat.h>

#include "update/digest/file_digests.h"
#include "update/digest/sha256.h"

namespace update {

namespace {

bool hasListedDigests(const std::string& path, const FileEntry& entry, DigestRead read) {
    const bool sha256 = !entry.sha256.empty();
    if (sha256 && read == DigestRead::strongest) return sha256OfFile(path) == entry.sha256;
    const FileDigests digests = digestFile(path, sha256);
    return digests.md5 == entry.md5 && (!sha256 || digests.sha256 == entry.sha256);
}

}  // namespace

bool isListedFile(const std::string& path, const FileEntry& entry, DigestRead read) {
    struct stat info {};
    if (entry.length >= 0 && (::stat(path.c_str(), &info) != 0 || info.st_size != entry.length)) {
        return false;
    }
    try {
        return hasListedDigests(path, entry, read);
    } catch (...) {
        return false;  // missing, locked or unreadable
    }
}

}  // namespace update
