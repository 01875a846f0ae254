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
#include <string>
#include <thread>
#include <vector>

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
    // Whether file `index` is the one its entry lists, as isListedFile decides.
    bool matches(std::size_t index);

    // No more workers than cores, and at least one.
    static unsigned defaultThreads();

  private:
    struct Job {
        std::string path;
        FileEntry entry;
        DigestRead read;
        bool matches = false;
        bool done = false;
    };
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
