// Files that carry a version block (VS_FIXEDFILEINFO), written the way a module carries one.
#pragma once

#include <cstdint>
#include <string>

namespace test_support {

// The 52 bytes of a version block for file version major.minor.release.build, little-endian.
std::string versionBlock(std::uint16_t major, std::uint16_t minor, std::uint16_t release = 0,
                         std::uint16_t build = 0);

// The 52 bytes of a block whose 13 words are `first`, `first + 1`, ... (the signature and the
// structure version aside).
std::string numberedVersionBlock(std::uint32_t first);

// Little-endian bytes of one 32-bit word.
std::string dwordBytes(std::uint32_t value);

}  // namespace test_support
