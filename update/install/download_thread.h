// The download phase of the update run: one thread that fetches, one file at a time in list
// order, every file of the remote manifest whose installed copy lacks the listed digest (the
// SHA-256 when the entry lists one, else the MD5).
//
// Each file arrives under a temporary name, "update/" + its name + ".vexo-partial" (folders
// created as needed), and gets its name only once its length and digests equal the manifest's;
// then it is added to the receipt (update_receipt.h). Otherwise, and when the request, the
// transfer or the file fails, nothing carries its name and the file counts as failed. Files the
// receipt already vouches for (`staged`) are not fetched again. Downloads are digested on other
// threads while the next file arrives; `run` returns once every download is decided.
// Installed copies are checked with the digest cache (installed_check.h).
// `failedCount`, `verifiedNames` and `checkedDigests` are read by the joining thread after `join`.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/thread.h"
#include "update/config/server_config.h"
#include "update/http/http_client.h"
#include "update/install/digest_cache.h"
#include "update/install/digest_pool.h"
#include "update/manifest/version_info.h"

namespace update {

class DownloadThread;

// Follows one file's download: stops a body that grows past the listed length.
class DownloadProgress : public ProgressListener {
  public:
    DownloadProgress(DownloadThread* thread, const FileEntry* entry)
        : thread_(thread), entry_(entry) {}
    // A resumed download continues a file that holds `stored` bytes already.
    void startAt(std::int64_t stored) { stored_ = stored; }
    bool onProgress(HttpClient& client, std::int64_t total, int blockSize) override;
    void onStored(const char* block, int blockSize) override;
    // Whether exactly the listed number of bytes was stored.
    bool hasListedLength() const { return !tooLong_ && stored_ == entry_->length; }
    // More bytes arrived than the manifest lists.
    bool tooLong() const { return tooLong_; }

  private:
    DownloadThread* thread_;
    const FileEntry* entry_;
    std::int64_t stored_ = 0;
    bool tooLong_ = false;
};

class DownloadThread : public Thread {
  public:
    // `server` serves the files below its path; `remote` is the manifest to fetch, read until
    // `join`; `timeouts` replace each file's `downloadTimeouts` when given. `skipName` (empty:
    // none) is a manifest name not to download; `staged` are the local names of files already
    // verified in "update/" with the content the manifest lists.
    DownloadThread(ServerConfig server, const VersionInfo* remote,
                   std::optional<HttpTimeouts> timeouts, std::string skipName,
                   std::set<std::string> staged = {})
        : server_(std::move(server)),
          remote_(remote),
          timeouts_(std::move(timeouts)),
          skipName_(std::move(skipName)),
          staged_(std::move(staged)) {}
    ~DownloadThread() override;

    int run(std::int32_t argument) override;

    // The digests of installed copies known from the last run (digest_cache.h); set before
    // `start`.
    void useDigestCache(DigestCache cache) { known_ = std::move(cache); }
    // What this run learnt of the installed copies, for the next run's cache: read after `join`.
    const DigestCache& checkedDigests() const { return checked_; }
    // Files that were due and are not in "update/" whole.
    int failedCount() const { return failed_; }
    // Manifest names of the due files now staged whole (downloaded and checked by this run, or
    // staged before it).
    const std::set<std::string>& verifiedNames() const { return verified_; }

  private:
    // A download stored whole, waiting for its digest.
    struct Stored {
        const FileEntry* entry;
        std::size_t digest;
    };
    enum class Fetch { done, refusedRange };
    bool download(const FileEntry& entry, DigestPool& digests);
    Fetch fetch(const FileEntry& entry, std::int64_t offset, DigestPool& digests);
    bool failedNow_ = false;  // whether the last fetch left the file not stored whole
    void decide(const Stored& stored, DigestPool& digests);
    std::vector<Stored> stored_;

    ServerConfig server_;
    const VersionInfo* remote_;
    std::optional<HttpTimeouts> timeouts_;
    std::string skipName_;
    std::set<std::string> staged_;
    int failed_ = 0;
    std::set<std::string> verified_;
    DigestCache known_;
    DigestCache checked_;
};

}  // namespace update
