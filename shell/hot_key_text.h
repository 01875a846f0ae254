// Hot-key texts: the modifier bits and the virtual-key code as decimal numbers joined by an
// underscore ("3_81" is Ctrl+Alt+Q).
#pragma once

#include <cstdint>
#include <string_view>

struct HotKeyText {
    std::uint32_t modifiers = 0;
    std::uint32_t key = 0;  // 0: no key
};

// Reads the leading digits of each part; a part without digits, or a text without an
// underscore (no key part), reads as 0. Numbers too large for 32 bits saturate.
HotKeyText parseHotKeyText(std::string_view text);
