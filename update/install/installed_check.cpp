#include "update/install/installed_check.h"

#include "update/digest/file_digests.h"
#include "update/digest/sha256.h"
#include "update/install/file_check.h"

namespace update {

namespace {

// The digest that decides for an installed copy: the SHA-256 when the entry lists one.
const std::string& decidingDigest(const CachedDigests& digests, const FileEntry& entry) {
    return entry.sha256.empty() ? digests.md5 : digests.sha256;
}

bool hasLength(const FileStamp& stamp, const FileEntry& entry) {
    return entry.length < 0 || stamp.size == entry.length;
}

InstalledCheck fromCache(const CachedDigests& cached, const FileEntry& entry) {
    const bool matches =
        hasLength(cached.stamp, entry) &&
        decidingDigest(cached, entry) == (entry.sha256.empty() ? entry.md5 : entry.sha256);
    return {matches, cached};
}

// Reads the regular file `name` whose stamp before the read is `before`, taken no earlier
// than `startNs`.
InstalledCheck readAndRecord(const std::string& name, const FileEntry& entry,
                             const FileStamp& before, std::int64_t startNs) {
    CachedDigests digests{before, {}, {}};
    try {
        if (entry.sha256.empty()) {
            digests.md5 = digestFile(name, false).md5;
        } else {
            digests.sha256 = sha256OfFile(name);
        }
    } catch (...) {
        return {};  // locked or unreadable
    }
    InstalledCheck check = fromCache(digests, entry);
    if (stampOf(name) == before && isSettled(before, startNs)) check.record = digests;
    return check;
}

}  // namespace

InstalledCheck checkInstalled(const std::string& name, const FileEntry& entry,
                              const DigestCache& cache) {
    const CachedDigests* cached = unchangedEntry(cache, name);
    if (cached && !decidingDigest(*cached, entry).empty()) return fromCache(*cached, entry);
    const std::int64_t startNs = wallClockNs();
    const std::optional<FileStamp> before = stampOf(name);
    // Links and anything but a regular file take the check they always took, never cached.
    if (!before) return {isListedFile(name, entry, DigestRead::strongest), std::nullopt};
    if (!hasLength(*before, entry)) return {};
    return readAndRecord(name, entry, *before, startNs);
}

void recordInstalled(const std::vector<StagedFile>& files, DigestCache& cache) {
    for (const StagedFile& file : files) {
        const std::int64_t nowNs = wallClockNs();
        const std::optional<FileStamp> stamp = stampOf(file.name);
        if (!stamp || stamp->size != file.length) continue;
        // Coarse stamps (seconds) would leave a whole tick after the move unseen: such files are
        // read at the next start instead.
        if (settledFromNs(*stamp) - nowNs > kLongestSettleWaitNs) continue;
        cache.files[file.name] =
            CachedDigests{*stamp, file.md5, file.sha256, !isSettled(*stamp, nowNs)};
    }
}

}  // namespace update
