#include "update/install/digest_pool.h"

#include <algorithm>

#include "update/install/installed_check.h"

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
    Job job;
    job.path = std::move(path);
    job.entry = entry;
    job.read = read;
    return queue(std::move(job));
}

std::size_t DigestPool::addInstalled(std::string path, const FileEntry& entry,
                                     const DigestCache& cache) {
    Job job;
    job.path = std::move(path);
    job.entry = entry;
    job.read = DigestRead::strongest;
    job.cache = &cache;
    return queue(std::move(job));
}

std::size_t DigestPool::queue(Job job) {
    std::size_t index;
    {
        std::lock_guard lock(mutex_);
        index = jobs_.size();
        jobs_.push_back(std::move(job));
    }
    queued_.notify_one();
    return index;
}

void DigestPool::wait(std::unique_lock<std::mutex>& lock, std::size_t index) {
    ready_.wait(lock, [&] { return jobs_[index].done; });
}

bool DigestPool::matches(std::size_t index) {
    std::unique_lock lock(mutex_);
    wait(lock, index);
    return jobs_[index].matches;
}

std::optional<CachedDigests> DigestPool::record(std::size_t index) {
    std::unique_lock lock(mutex_);
    wait(lock, index);
    return jobs_[index].record;
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
        InstalledCheck check;
        if (job.cache) {
            check = checkInstalled(job.path, job.entry, *job.cache);
        } else {
            check.matches = isListedFile(job.path, job.entry, job.read);
        }
        lock.lock();
        jobs_[index].matches = check.matches;
        jobs_[index].record = std::move(check.record);
        jobs_[index].done = true;
        ready_.notify_all();
    }
}

}  // namespace update
