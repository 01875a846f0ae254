#include "update/digest_pool.h"

#include <sys/stat.h>

#include <algorithm>

#include "update/digest/md5.h"

namespace update {

DigestPool::DigestPool(unsigned threads) {
    for (unsigned i = 0; i < std::max(threads, 1u); ++i) workers_.emplace_back([this] { work(); });
}

DigestPool::~DigestPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

unsigned DigestPool::defaultThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

std::size_t DigestPool::add(std::string path, std::int64_t length) {
    std::size_t index;
    {
        std::lock_guard lock(mutex_);
        index = jobs_.size();
        jobs_.push_back({std::move(path), length, std::nullopt, false});
    }
    queued_.notify_one();
    return index;
}

std::optional<std::string> DigestPool::get(std::size_t index) {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return jobs_[index].done; });
    return jobs_[index].digest;
}

void DigestPool::work() {
    std::unique_lock lock(mutex_);
    while (true) {
        queued_.wait(lock, [&] { return stopping_ || next_ < jobs_.size(); });
        if (stopping_) return;
        const std::size_t index = next_++;
        // The vector may grow meanwhile: copy what the digest needs.
        const std::string path = jobs_[index].path;
        const std::int64_t length = jobs_[index].length;
        lock.unlock();
        std::optional<std::string> digest = digestOf(path, length);
        lock.lock();
        jobs_[index].digest = std::move(digest);
        jobs_[index].done = true;
        ready_.notify_all();
    }
}

std::optional<std::string> DigestPool::digestOf(const std::string& path, std::int64_t length) {
    struct stat info {};
    if (length >= 0 && (::stat(path.c_str(), &info) != 0 || info.st_size != length)) return {};
    try {
        return md5OfFile(path);
    } catch (...) {
        return {};  // missing, locked or unreadable
    }
}

}  // namespace update
