// The digests of installed files, kept with each file's stamp so that a start need not read a
// file that has not changed since (file_stamp.h). Only ever a shortcut: whatever is wrong with
// the cache (missing, corrupt, cut, edited, too large, a link, another user's, another
// installation's) costs a full read, never a file taken for another.
//
// "update/.vexo-digests" is a text of lines:
//
//     vexo-digests 1 <device> <inode>         the installation directory it belongs to
//     <size> <mtime ns> <ctime ns> <inode> <device> <md5 or -> <sha256 or -> <name>
//     unsettled <size> ...                    the same, for a stamp taken before it settled
//     ...                                     one line per file; names hold no control character
//     sum <sha256 of every byte before this line>
//
// Trust: an entry is used only when the file's stamp now equals the recorded one and its times
// lie a margin (isSettled) before the cache file's own modification time, as git treats its
// index. Entries are recorded only once settled when their stamp was taken, so a write in the
// same timestamp tick as the stamp can never hide behind it. The one exception are the files an
// install has just moved into place (recordInstalled): their stamps are recorded at once, marked
// unsettled, and the load trusts them only when they have settled by then, waiting briefly when
// they are about to. A stamp still the same after it settled hides no write made since; a write
// in the tick of the move itself stays unseen, as it did when the install waited.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "update/install/file_stamp.h"
#include "update/install/update_receipt.h"

namespace update {

inline constexpr const char* kDigestCachePath = "update/.vexo-digests";
// In the update folder, which the update run keeps as its own and an uninstall removes whole;
// the cache has no business beside the installed files, where it would be taken for one.
// Far above a manifest of 30,000 files; a larger file is not read, a larger cache not written.
inline constexpr std::int64_t kDigestCacheLimit = 16 << 20;

struct CachedDigests {
    FileStamp stamp;
    std::string md5;         // empty when not known
    std::string sha256;      // empty when not known
    bool unsettled = false;  // `stamp` was taken before it settled (see above)

    bool operator==(const CachedDigests&) const = default;
};

struct DigestCache {
    std::uint64_t rootDevice = 0;
    std::uint64_t rootInode = 0;
    std::map<std::string, CachedDigests> files;  // by local name, "/" between folders

    bool operator==(const DigestCache&) const = default;
};

std::string digestCacheText(const DigestCache& cache);
// None when the text is not a whole cache with its sum.
std::optional<DigestCache> parseDigestCache(const std::string& text);

// The cache of the installation in the current directory, its untrusted entries left out:
// empty when there is none that can be trusted. Unsettled entries that settle within
// `kLongestSettleWaitNs` are waited for; those that do not are left out as well. Every entry
// returned is settled.
DigestCache loadDigestCache(const std::string& path = kDigestCachePath);
// The longest the load waits for unsettled entries: only a run that starts right after an
// install can meet one that is not settled yet.
inline constexpr std::int64_t kLongestSettleWaitNs = 100'000'000;
// Replaces the cache atomically with `cache` for the current directory; nothing is written when
// the text would be larger than the limit (then the old cache is removed). Not synced: a cache
// lost to a power cut costs a full read.
bool saveDigestCache(DigestCache cache, const std::string& path = kDigestCachePath);

// The cached digests of `name` when its file still has the recorded stamp.
const CachedDigests* unchangedEntry(const DigestCache& cache, const std::string& name);

}  // namespace update
