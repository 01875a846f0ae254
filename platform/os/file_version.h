// A file's version information, as GetFileVersionInfo and VerQueryValue(..., "\\", ...) give it
// on Windows: the VS_FIXEDFILEINFO block a module carries.
//
// A module built here carries the block as plain data (see controls/webmovie/version_info.cpp),
// so it is found by scanning the file: the first 4-byte aligned offset whose little-endian
// 32-bit words are the signature 0xFEEF04BD and the structure version 1.0, followed by the rest
// of the 52-byte block. The version word keeps the scan from stopping at code that compares
// with the signature, as the scan's own code does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// VS_FIXEDFILEINFO, field by field. The version words hold two 16-bit numbers each: the file
// version a.b.c.d is fileVersionMs = a << 16 | b and fileVersionLs = c << 16 | d.
struct FixedFileInfo {
    std::uint32_t signature = 0;
    std::uint32_t structVersion = 0;
    std::uint32_t fileVersionMs = 0;
    std::uint32_t fileVersionLs = 0;
    std::uint32_t productVersionMs = 0;
    std::uint32_t productVersionLs = 0;
    std::uint32_t fileFlagsMask = 0;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOs = 0;
    std::uint32_t fileType = 0;
    std::uint32_t fileSubtype = 0;
    std::uint32_t fileDateMs = 0;
    std::uint32_t fileDateLs = 0;
};

inline constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
inline constexpr std::uint32_t kFixedFileInfoStructVersion = 0x00010000;
inline constexpr std::size_t kFixedFileInfoSize = 52;

// The first version block of the regular file `path`. nullopt when the file cannot be opened
// or read, is not a regular file, or holds no whole block. Any thread; the file is treated as
// untrusted data.
//
// Limits: the file is read front to back in 64 KiB pieces, so memory stays the same whatever
// its size (time grows with the bytes before the block). It is opened non-blocking and checked
// with fstat before anything is read: a FIFO, socket or device is refused without waiting.
std::optional<FixedFileInfo> readFixedFileInfo(const std::string& path);

}  // namespace platform
