#include "update/install/file_stamp.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>

namespace update {

namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
constexpr std::int64_t kFineMarginNs = kStampLagNs;
// FAT stamps modification times in 2 s steps.
constexpr std::int64_t kCoarseMarginNs = 3 * kNsPerSecond;

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * kNsPerSecond + time.tv_nsec;
}

}  // namespace

std::optional<FileStamp> stampOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return FileStamp{info.st_size, nanoseconds(info.st_mtim), nanoseconds(info.st_ctim),
                     static_cast<std::uint64_t>(info.st_ino),
                     static_cast<std::uint64_t>(info.st_dev)};
}

std::int64_t settledFromNs(const FileStamp& stamp) {
    const bool coarse = stamp.mtimeNs % kNsPerSecond == 0 && stamp.ctimeNs % kNsPerSecond == 0;
    return std::max(stamp.mtimeNs, stamp.ctimeNs) + (coarse ? kCoarseMarginNs : kFineMarginNs) + 1;
}

bool isSettled(const FileStamp& stamp, std::int64_t nowNs) { return nowNs >= settledFromNs(stamp); }

std::int64_t wallClockNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}

}  // namespace update
