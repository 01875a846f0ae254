// The digests of many installed files, computed ahead of the loop that needs them, on a few
// threads at once.
//
// Construction starts the workers; `get(i)` waits until the digest of `paths[i]` is known.
// Workers take the files in list order, so the first ones are ready first. The destructor stops
// the workers after the file each one is reading and waits for them.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace update {

class DigestPool {
  public:
    // `threads` is clamped to 1 .. the number of paths.
    DigestPool(std::vector<std::string> paths, unsigned threads);
    ~DigestPool();
    DigestPool(const DigestPool&) = delete;
    DigestPool& operator=(const DigestPool&) = delete;

    // The MD5 of `paths[index]` as md5OfFile gives it, or none when the file cannot be read.
    std::optional<std::string> get(std::size_t index);

    // No more workers than cores, and at least one.
    static unsigned defaultThreads();

  private:
    void work();

    const std::vector<std::string> paths_;
    std::vector<std::optional<std::string>> digests_;
    std::vector<bool> done_;
    std::size_t next_ = 0;
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<std::thread> workers_;
};

}  // namespace update
