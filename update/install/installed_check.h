// The check of an installed copy against its manifest entry (DigestRead::strongest), with the
// digest cache: a file whose stamp is the cached one is not read; a file that is read leaves
// its stamp and digest to be cached, when the stamp was settled (file_stamp.h) and did not
// change during the read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "update/install/digest_cache.h"
#include "update/install/update_receipt.h"
#include "update/manifest/version_info.h"

namespace update {

struct InstalledCheck {
    bool matches = false;                 // as isListedFile(name, entry, strongest) decides
    std::optional<CachedDigests> record;  // what the next cache may keep for the file
};

InstalledCheck checkInstalled(const std::string& name, const FileEntry& entry,
                              const DigestCache& cache);

// Adds to `cache` the files an install just put in place with the digests they were verified
// against, without waiting: a file renamed into place has a change time of now, so its stamp is
// recorded unsettled, for the load to trust once it has settled (digest_cache.h). Files whose
// stamps would not settle within `kLongestSettleWaitNs` (file systems of whole-second stamps)
// are not recorded. A write into a file in the very timestamp tick of its move stays unseen, as
// a write into it between its check and its move always did.
void recordInstalled(const std::vector<StagedFile>& files, DigestCache& cache);

}  // namespace update
