#include "update/digest_pool.h"

#include <algorithm>

#include "update/digest/md5.h"

namespace update {

DigestPool::DigestPool(std::vector<std::string> paths, unsigned threads)
    : paths_(std::move(paths)), digests_(paths_.size()), done_(paths_.size(), false) {
    const std::size_t count =
        std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(paths_.size(), 1));
    for (std::size_t i = 0; i < count && !paths_.empty(); ++i)
        workers_.emplace_back([this] { work(); });
}

DigestPool::~DigestPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    for (std::thread& worker : workers_) worker.join();
}

unsigned DigestPool::defaultThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

std::optional<std::string> DigestPool::get(std::size_t index) {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return done_[index]; });
    return digests_[index];
}

void DigestPool::work() {
    while (true) {
        std::size_t index;
        {
            std::lock_guard lock(mutex_);
            if (stopping_ || next_ == paths_.size()) return;
            index = next_++;
        }
        std::optional<std::string> digest;
        try {
            digest = md5OfFile(paths_[index]);
        } catch (...) {
            // Missing, locked or unreadable: not up to date.
        }
        {
            std::lock_guard lock(mutex_);
            digests_[index] = std::move(digest);
            done_[index] = true;
        }
        ready_.notify_all();
    }
}

}  // namespace update
