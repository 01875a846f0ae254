// Decimal conversions of configuration and manifest texts, in the manner of atoi and atol.
#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>
#include <system_error>

namespace update {

// Skips leading white space (space, tab, line feed, vertical tab, form feed, carriage return),
// takes an optional sign and then decimal digits, and stops at the first other character. Text
// without digits gives 0. Unlike atoi, a value beyond the type's range is clamped to its
// nearest end instead of being undefined.
std::int32_t toInt32(std::string_view text);
std::int64_t toInt64(std::string_view text);

// The whole of `text` as one decimal number of `Number`'s type, as the program reads back the
// records it wrote itself: false for empty text, any other character, or a value out of range.
template <typename Number>
bool parseWholeNumber(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

}  // namespace update
