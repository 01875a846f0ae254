// Checks of files against their manifest entries (isListedFile), computed on a few threads
// while the caller goes on: the installed files ahead of the download loop that needs them, and
// each download while the next one arrives.
//
// `add` queues a file and returns its number; `matches` waits for that file's result. Files are
// taken in the order they were added. The destructor drops what has not been started, lets
// each worker finish the file it is reading, and waits for them. Any thread may add and ask.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "update/install/digest_cache.h"
#include "update/install/file_check.h"
#include "update/manifest/version_info.h"

namespace update {

class DigestPool {
  public:
    // `threads` is at least 1.
    explicit DigestPool(unsigned threads);
    ~DigestPool();
    DigestPool(const DigestPool&) = delete;
    DigestPool& operator=(const DigestPool&) = delete;

    // Queues the check of `path` against (a copy of) `entry`, read as `read` says.
    std::size_t add(std::string path, const FileEntry& entry, DigestRead read);
    // Queues the check of the installed copy `path` (checkInstalled) with `cache`, which must
    // stay unchanged while the pool lives.
    std::size_t addInstalled(std::string path, const FileEntry& entry, const DigestCache& cache);
    // Whether file `index` is the one its entry lists, as isListedFile decides.
    bool matches(std::size_t index);
    // What the digest cache may keep of installed copy `index`, once checked.
    std::optional<CachedDigests> record(std::size_t index);

    // No more workers than cores, and at least one.
    static unsigned defaultThreads();

  private:
    struct Job {
        std::string path;
        FileEntry entry;
        DigestRead read = DigestRead::both;
        const DigestCache* cache = nullptr;  // set for an installed copy
        bool matches = false;
        std::optional<CachedDigests> record;
        bool done = false;
    };
    std::size_t queue(Job job);
    void wait(std::unique_lock<std::mutex>& lock, std::size_t index);
    void work();

    std::vector<Job> jobs_;
    std::size_t next_ = 0;
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable ready_;
    std::vector<std::thread> workers_;
};

}  // namespace update
