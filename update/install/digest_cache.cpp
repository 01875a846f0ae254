#include "update/install/digest_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/os/file_replace.h"
#include "update/config/decimal.h"
#include "update/digest/digest_text.h"
#include "update/digest/sha256.h"

namespace update {

namespace {

constexpr std::string_view kCacheHeader = "vexo-digests 1 ";
constexpr std::string_view kSum = "sum ";
// Older readers fail on the word, and so ignore a cache with such lines: they cost them a full
// check, never a trusted unsettled stamp.
constexpr std::string_view kUnsettled = "unsettled ";

bool hasControlCharacter(std::string_view name) {
    return std::any_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// What a cache can hold and read back; anything else is left out rather than spoil the rest.
bool isRecordable(const std::string& name, const CachedDigests& entry) {
    return !name.empty() && !hasControlCharacter(name) &&
           (entry.md5.empty() || isDigestText(entry.md5, 32)) &&
           (entry.sha256.empty() || isDigestText(entry.sha256, 64));
}

// Splits off the text up to the next space.
std::string_view nextField(std::string_view& line) {
    const std::size_t space = line.find(' ');
    const std::string_view field = line.substr(0, space);
    line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    return field;
}

template <typename Number>
bool readNumber(std::string_view& line, Number& value) {
    return parseWholeNumber(nextField(line), value);
}

std::optional<std::string> readDigest(std::string_view& line, std::size_t length) {
    const std::string_view field = nextField(line);
    if (field == "-") return std::string();
    if (!isDigestText(field, length)) return std::nullopt;
    return std::string(field);
}

bool parseEntry(std::string_view line, DigestCache& cache) {
    CachedDigests entry;
    entry.unsettled = line.starts_with(kUnsettled);
    if (entry.unsettled) line.remove_prefix(kUnsettled.size());
    FileStamp& stamp = entry.stamp;
    if (!readNumber(line, stamp.size) || !readNumber(line, stamp.mtimeNs) ||
        !readNumber(line, stamp.ctimeNs) || !readNumber(line, stamp.inode) ||
        !readNumber(line, stamp.device)) {
        return false;
    }
    std::optional<std::string> md5 = readDigest(line, 32);
    std::optional<std::string> sha256 = readDigest(line, 64);
    if (!md5 || !sha256 || line.empty() || hasControlCharacter(line)) return false;
    entry.md5 = std::move(*md5);
    entry.sha256 = std::move(*sha256);
    return cache.files.emplace(std::string(line), std::move(entry)).second;
}

std::string entryLine(const std::string& name, const CachedDigests& entry) {
    const FileStamp& stamp = entry.stamp;
    return std::string(entry.unsettled ? kUnsettled : "") + std::to_string(stamp.size) + " " +
           std::to_string(stamp.mtimeNs) + " " + std::to_string(stamp.ctimeNs) + " " +
           std::to_string(stamp.inode) + " " + std::to_string(stamp.device) + " " +
           (entry.md5.empty() ? "-" : entry.md5) + " " +
           (entry.sha256.empty() ? "-" : entry.sha256) + " " + name + "\n";
}

std::optional<FileStamp> rootStamp() {
    struct stat info {};
    if (::stat(".", &info) != 0) return std::nullopt;
    FileStamp stamp;
    stamp.inode = info.st_ino;
    stamp.device = info.st_dev;
    return stamp;
}

// The whole content of the cache file when it is one to read at all: a plain regular file of
// the running user, with one name, not too large. `modifiedNs` gets its modification time.
std::optional<std::string> readCacheFile(const std::string& path, std::int64_t& modifiedNs) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::string text;
    bool whole = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 &&
                 info.st_uid == ::geteuid() && info.st_size <= kDigestCacheLimit;
    if (whole) {
        text.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t count = ::read(fd, text.data() + done, text.size() - done);
            if (count <= 0) break;
            done += static_cast<std::size_t>(count);
        }
        whole = done == text.size();
        modifiedNs =
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    }
    ::close(fd);
    return whole ? std::optional(std::move(text)) : std::nullopt;
}

// Keeps the unsettled entries of `files` that have settled by now, as settled ones, waiting for
// those about to settle; the others go. Settled entries stay as they are.
void settleEntries(std::map<std::string, CachedDigests>& files) {
    const std::int64_t startNs = wallClockNs();
    std::int64_t latestNs = startNs;
    for (const auto& [name, entry] : files) {
        const std::int64_t settledNs = settledFromNs(entry.stamp);
        if (entry.unsettled && settledNs - startNs <= kLongestSettleWaitNs) {
            latestNs = std::max(latestNs, settledNs);
        }
    }
    if (latestNs > startNs)
        std::this_thread::sleep_for(std::chrono::nanoseconds(latestNs - startNs));
    // Taken before any file's stamp is compared with its entry (unchangedEntry): a write after
    // this moment is sure to change the stamp.
    const std::int64_t nowNs = wallClockNs();
    for (auto item = files.begin(); item != files.end();) {
        CachedDigests& entry = item->second;
        const bool keep = !entry.unsettled || isSettled(entry.stamp, nowNs);
        entry.unsettled = false;
        item = keep ? std::next(item) : files.erase(item);
    }
}

}  // namespace

std::string digestCacheText(const DigestCache& cache) {
    std::string text = std::string(kCacheHeader) + std::to_string(cache.rootDevice) + " " +
                       std::to_string(cache.rootInode) + "\n";
    for (const auto& [name, entry] : cache.files) {
        if (isRecordable(name, entry)) text += entryLine(name, entry);
    }
    return text + std::string(kSum) + sha256Of(text) + "\n";
}

std::optional<DigestCache> parseDigestCache(const std::string& text) {
    const std::size_t sumAt = text.rfind(kSum);
    if (sumAt == std::string::npos || (sumAt > 0 && text[sumAt - 1] != '\n') ||
        text.compare(sumAt, std::string::npos,
                     std::string(kSum) + sha256Of(text.substr(0, sumAt)) + "\n") != 0) {
        return std::nullopt;
    }
    std::string_view body(text.data(), sumAt);
    const std::size_t headEnd = body.find('\n');
    std::string_view head = body.substr(0, headEnd);
    DigestCache cache;
    if (!head.starts_with(kCacheHeader)) return std::nullopt;
    head.remove_prefix(kCacheHeader.size());
    if (!readNumber(head, cache.rootDevice) || !readNumber(head, cache.rootInode) ||
        !head.empty()) {
        return std::nullopt;
    }
    body.remove_prefix(headEnd + 1);
    while (!body.empty()) {
        const std::size_t end = body.find('\n');
        if (!parseEntry(body.substr(0, end), cache)) return std::nullopt;
        body.remove_prefix(end + 1);
    }
    return cache;
}

DigestCache loadDigestCache(const std::string& path) {
    std::int64_t writtenNs = 0;
    const std::optional<std::string> text = readCacheFile(path, writtenNs);
    std::optional<DigestCache> cache = text ? parseDigestCache(*text) : std::nullopt;
    const std::optional<FileStamp> root = rootStamp();
    if (!cache || !root || cache->rootDevice != root->device || cache->rootInode != root->inode) {
        return {};
    }
    std::erase_if(cache->files, [&](const auto& item) {
        return !item.second.unsettled && !isSettled(item.second.stamp, writtenNs);
    });
    settleEntries(cache->files);
    return std::move(*cache);
}

bool saveDigestCache(DigestCache cache, const std::string& path) {
    const std::optional<FileStamp> root = rootStamp();
    if (!root) return false;
    cache.rootDevice = root->device;
    cache.rootInode = root->inode;
    const std::string text = digestCacheText(cache);
    if (static_cast<std::int64_t>(text.size()) > kDigestCacheLimit) {
        ::unlink(path.c_str());
        return false;
    }
    return platform::replaceFileContent(path, text, false);
}

const CachedDigests* unchangedEntry(const DigestCache& cache, const std::string& name) {
    const auto found = cache.files.find(name);
    if (found == cache.files.end()) return nullptr;
    const std::optional<FileStamp> now = stampOf(name);
    return now && *now == found->second.stamp ? &found->second : nullptr;
}

}  // namespace update
