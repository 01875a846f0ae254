// The receipt of the update folder: which release the files in "update/" belong to and the
// digests each was verified against before it got its name there.
//
// Nothing in "update/" is trusted without it: at every start the launcher removes what the
// receipt does not list or what no longer matches it (update_folder.h), and the player and the
// updater swap in a pending launcher only when the receipt lists it and marks the release
// installed (update/install/launcher_swap.h).
//
// The file "update/.vexo-receipt" is a text of lines:
//
//     vexo-receipt 1 <update-no>
//     file <length> <md5> <sha256 or -> <name>      one line per verified file
//     installed                                     once the release's install completed
//
// A run starts it anew (atomically) and then appends a line per file it verified, so that a
// crash loses at most the line being written; a line that does not read is dropped with what
// follows it, and the files it would have named are removed as unlisted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "update/manifest/version_info.h"

namespace update {

// Names in "update/" that no manifest file may take (a run refuses such a file): the receipt,
// the install journal, the digest cache of the installed files (digest_cache.h) and the suffix
// of a download still arriving.
inline constexpr const char* kReceiptName = ".vexo-receipt";
inline constexpr const char* kJournalName = ".vexo-journal";
inline constexpr const char* kDigestCacheName = ".vexo-digests";
inline constexpr const char* kPartialSuffix = ".vexo-partial";

// One verified file: its local name below "update/" ("/" between folders) and its digests.
struct StagedFile {
    std::string name;
    std::int64_t length = 0;
    std::string md5;
    std::string sha256;  // empty when the manifest listed none
};

struct Receipt {
    std::int32_t updateNo = 0;
    std::vector<StagedFile> files;
    bool installed = false;

    // The entry for `name`, or none.
    const StagedFile* find(const std::string& name) const;
};

// The staged form of a manifest entry.
StagedFile stagedFileOf(const FileEntry& entry);
// Whether `file` lists exactly the digests and length of `entry`.
bool sameContent(const StagedFile& file, const FileEntry& entry);
// Whether the regular file at `path` has the length and digests `file` lists (read in full).
bool matchesStagedFile(const std::string& path, const StagedFile& file);
// Whether a name below "update/" is that of a download still arriving.
bool isPartialDownload(const std::string& name);
// Whether a manifest name would collide with the receipt, the journal or a partial download.
bool isReservedStagingName(const std::string& localName);

// The receipt in `folder`; none when there is none or its first line does not read.
std::optional<Receipt> readReceipt(const std::string& folder = "update");
// Replaces the receipt with one for `updateNo` listing `files` (atomically: a crash leaves the
// old receipt or the whole new one).
bool startReceipt(std::int32_t updateNo, const std::vector<StagedFile>& files,
                  const std::string& folder = "update");
// Appends a verified file, or the mark that the release is installed. Never through a link.
bool appendToReceipt(const StagedFile& file, const std::string& folder = "update");
bool markReceiptInstalled(const std::string& folder = "update");

// The line form of a file, shared with the install journal, and its reading back.
std::string stagedFileLine(const StagedFile& file);
std::optional<StagedFile> parseStagedFileLine(const std::string& line);

}  // namespace update
