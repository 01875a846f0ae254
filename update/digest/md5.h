// MD5 message digest (RFC 1321), used by the update run to decide whether an installed file
// already has the content the version manifest lists.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The digest state of one message: feed it with addData, then read hexDigest once.
class Md5 {
  public:
    // The initial state of RFC 1321.
    Md5();

    // Appends `count` bytes to the message; each complete 64-byte block is transformed.
    void addData(const void* data, std::size_t count);

    // Pads the message (0x80, zeros up to 56 modulo 64, the bit count, low byte first) and
    // returns the 16 digest bytes as 32 lower-case hexadecimal digits. Ends the object's use.
    std::string hexDigest();

  private:
    void transformBlocks(const std::uint8_t* blocks, std::size_t count);
    std::size_t buffered() const { return (bits_[0] >> 3) & 63; }

    std::array<std::uint8_t, 64> buffer_{};
    // The message length in bits, modulo 2^64, low word first.
    std::array<std::uint32_t, 2> bits_{};
    std::array<std::uint32_t, 4> state_;
};

// The digest of the file at `path`, as Md5::hexDigest gives it. The file is held with a shared
// advisory lock (flock) while it is read, so a writer that locks it exclusively is kept out;
// one that holds such a lock already makes the open fail.
// Throws platform::FileException when the file cannot be opened (missing, no access, locked
// by a writer), is not a regular file (a directory, a pipe, a device: never waited on) or a
// read fails; nothing is returned then.
std::string md5OfFile(const std::string& path);
