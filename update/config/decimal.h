// Decimal conversions of configuration and manifest texts, in the manner of atoi and atol.
#pragma once

#include <cstdint>
#include <string_view>

namespace update {

// Skips leading white space (space, tab, line feed, vertical tab, form feed, carriage return),
// takes an optional sign and then decimal digits, and stops at the first other character. Text
// without digits gives 0. Unlike atoi, a value beyond the type's range is clamped to its
// nearest end instead of being undefined.
std::int32_t toInt32(std::string_view text);
std::int64_t toInt64(std::string_view text);

}  // namespace update
