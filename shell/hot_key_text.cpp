#include "shell/hot_key_text.h"

#include <limits>

namespace {

std::uint32_t leadingNumber(std::string_view text) {
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > std::numeric_limits<std::uint32_t>::max())
            return std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace

HotKeyText parseHotKeyText(std::string_view text) {
    const auto underscore = text.find('_');
    if (underscore == std::string_view::npos) return HotKeyText{leadingNumber(text), 0};
    return HotKeyText{leadingNumber(text.substr(0, underscore)),
                      leadingNumber(text.substr(underscore + 1))};
}
