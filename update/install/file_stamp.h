// What tells a file apart from a changed one without reading it, as rsync's quick check and
// git's index do: its size, modification and change times, inode and device. Any write, a
// rename over it or a restored modification time changes the change time; a new file has a new
// inode. Only the race with the file system's timestamp tick remains (see isSettled).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace update {

struct FileStamp {
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of the regular file at `path` itself (never through a link); none for anything
// else or when it cannot be taken.
std::optional<FileStamp> stampOf(const std::string& path);

// Whether a write after `nowNs` (nanoseconds since the epoch) would be sure to give `stamp` a
// new modification and change time: both lie a margin before `nowNs`. A file system stamps with
// a coarse clock (a few milliseconds behind the real one) truncated to its granularity: the
// margin is 20 ms, or 3 s when both times are whole seconds (file systems of 1 or 2 s stamps).
// A stamp that is not settled may hide a write made in the same tick.
bool isSettled(const FileStamp& stamp, std::int64_t nowNs);

// How far behind the real-time clock a file system may stamp a write (a tick of a 100 Hz kernel
// clock, and as much again).
inline constexpr std::int64_t kStampLagNs = 20'000'000;

// The earliest moment at which `stamp` is settled.
std::int64_t settledFromNs(const FileStamp& stamp);

// The real-time clock in nanoseconds since the epoch, what the file system stamps with.
std::int64_t wallClockNs();

}  // namespace update
