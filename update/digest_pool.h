// MD5 digests of files, computed on a few threads while the caller goes on: the installed
// files ahead of the download loop that needs them, and each download while the next one
// arrives.
//
// `add` queues a file and returns its number; `get` waits for that file's digest. Files are
// taken in the order they were added. The destructor drops what has not been started, lets
// each worker finish the file it is reading, and waits for them. Any thread may add and get.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace update {

class DigestPool {
  public:
    // `threads` is at least 1.
    explicit DigestPool(unsigned threads);
    ~DigestPool();
    DigestPool(const DigestPool&) = delete;
    DigestPool& operator=(const DigestPool&) = delete;

    // Queues `path`. With a `length` of 0 or more, a file of another size is not digested:
    // it cannot be the file wanted, and its result is none at once.
    std::size_t add(std::string path, std::int64_t length = -1);
    // The MD5 of file `index` as md5OfFile gives it, or none when the file cannot be read or
    // has another size than asked for.
    std::optional<std::string> get(std::size_t index);

    // No more workers than cores, and at least one.
    static unsigned defaultThreads();

  private:
    struct Job {
        std::string path;
        std::int64_t length;
        std::optional<std::string> digest;
        bool done = false;
    };
    void work();
    static std::optional<std::string> digestOf(const std::string& path, std::int64_t length);

    std::vector<Job> jobs_;
    std::size_t next_ = 0;
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable ready_;
    std::vector<std::thread> workers_;
};

}  // namespace update
