#include "update/install/digest_pool.h"

#include <algorithm>

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

std::size_t DigestPool::add(std::string path, const FileEntry& entry, DigestRead read) {
    std::size_t index;
    {
        std::lock_guard lock(mutex_);
        index = jobs_.size();
        jobs_.push_back({std::move(path), entry, read});
    }
    queued_.notify_one();
    return index;
}

bool DigestPool::matches(std::size_t index) {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return jobs_[index].done; });
    return jobs_[index].matches;
}

void DigestPool::work() {
    std::unique_lock lock(mutex_);
    while (true) {
        queued_.wait(lock, [&] { return stopping_ || next_ < jobs_.size(); });
        if (stopping_) return;
        const std::size_t index = next_++;
        // The vector may grow meanwhile: copy what the check needs.
        const Job job = jobs_[index];
        lock.unlock();
        const bool matches = isListedFile(job.path, job.entry, job.read);
        lock.lock();
        jobs_[index].matches = matches;
        jobs_[index].done = true;
        ready_.notify_all();
    }
}

}  // namespace update
