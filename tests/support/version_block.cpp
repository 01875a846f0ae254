#include "tests/support/version_block.h"

namespace test_support {

std::string dwordBytes(std::uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string versionBlock(std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                         std::uint16_t build) {
    const std::uint32_t ms = std::uint32_t{major} << 16 | minor;
    const std::uint32_t ls = std::uint32_t{release} << 16 | build;
    std::string block = dwordBytes(0xFEEF04BD) + dwordBytes(0x00010000);
    block += dwordBytes(ms) + dwordBytes(ls) + dwordBytes(ms) + dwordBytes(ls);
    block += dwordBytes(0x3F) + dwordBytes(0) + dwordBytes(0x00040004) + dwordBytes(2);
    return block + dwordBytes(0) + dwordBytes(0) + dwordBytes(0);
}

std::string numberedVersionBlock(std::uint32_t first) {
    std::string block = dwordBytes(0xFEEF04BD) + dwordBytes(0x00010000);
    for (std::uint32_t i = 2; i < 13; ++i) block += dwordBytes(first + i);
    return block;
}

}  // namespace test_support
