// The download phase of the update run: one thread that fetches, one file at a time in list
// order, every file of the remote manifest whose installed copy lacks the listed digest.
//
// Each file goes to "update/" + its name (folders created as needed). A download is kept only
// when its length and MD5 equal the manifest's; otherwise, and when the request, the transfer or
// the file fails, nothing is left under that name and the file counts as failed. `failedCount`
// and `verifiedNames` are read by the joining thread after `join`.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "common/thread.h"
#include "update/digest/md5.h"
#include "update/http_client.h"
#include "update/version_info.h"

namespace update {

class UpdateManager;
class DownloadThread;

// Follows one file's download: stops a body that grows past the listed length and digests the
// bytes as they are stored.
class DownloadProgress : public ProgressListener {
  public:
    DownloadProgress(DownloadThread* thread, const FileEntry* entry)
        : thread_(thread), entry_(entry) {}
    bool onProgress(HttpClient& client, std::int64_t total, int blockSize) override;
    void onStored(const char* block, int blockSize) override;
    // Whether the bytes stored so far are exactly the listed file.
    bool matchesEntry();
    // More bytes arrived than the manifest lists.
    bool tooLong() const { return tooLong_; }

  private:
    DownloadThread* thread_;
    const FileEntry* entry_;
    Md5 digest_;
    std::int64_t stored_ = 0;
    bool tooLong_ = false;
};

class DownloadThread : public Thread {
  public:
    // `skipName` (empty: none) is a manifest name not to download.
    DownloadThread(const UpdateManager* manager, std::string skipName)
        : manager_(manager), skipName_(std::move(skipName)) {}
    ~DownloadThread() override;

    int run(std::int32_t argument) override;

    // Files that were due and are not in "update/" whole.
    int failedCount() const { return failed_; }
    // Manifest names downloaded and checked by this run.
    const std::set<std::string>& verifiedNames() const { return verified_; }

  private:
    bool isDue(const FileEntry& entry, std::size_t index, class DigestPool& digests) const;
    bool download(const FileEntry& entry);

    const UpdateManager* manager_;
    std::string skipName_;
    int failed_ = 0;
    std::set<std::string> verified_;
};

}  // namespace update
