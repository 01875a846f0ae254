// The Flash control's interface as hosts and controls both know it: its class ID and the
// DISPIDs of the members and the event the programs use.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform::flash {

inline constexpr std::string_view kClsid = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";

enum Dispid : std::int32_t {
    kPlay = 0x70,
    kBackgroundColor = 0x7B,
    kLoadMovie = 0x8E,
    kFsCommand = 0x96,  // the event: two strings, command and arguments
    kCallFunction = 0xC6,
};

// Whether `clsid` is the Flash class in any letter case; braces are optional, as hosts differ
// in whether they pass them.
constexpr bool isFlashClsid(std::string_view clsid) {
    constexpr std::string_view bare = kClsid.substr(1, kClsid.size() - 2);
    if (clsid.size() == kClsid.size() && clsid.front() == '{' && clsid.back() == '}') {
        clsid = clsid.substr(1, bare.size());
    }
    if (clsid.size() != bare.size()) return false;
    for (std::size_t i = 0; i < clsid.size(); ++i) {
        const char c =
            clsid[i] >= 'a' && clsid[i] <= 'z' ? static_cast<char>(clsid[i] - 32) : clsid[i];
        if (c != bare[i]) return false;
    }
    return true;
}

}  // namespace platform::flash
