// Digests as the digest code writes them: lower-case hexadecimal, two digits a byte.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

// Whether `text` is a digest of `digits` hexadecimal digits in that form (32 for MD5, 64 for
// SHA-256).
inline bool isDigestText(std::string_view text, std::size_t digits) {
    return text.size() == digits && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}
