// The little-endian integers of the SWF format.
#pragma once

#include <cstdint>
#include <string>

namespace swf {

inline void putU16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

inline void putU32(std::string& out, std::uint32_t value) {
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

}  // namespace swf
