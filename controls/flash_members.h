// What every movie control shares: the Flash class it answers to, the members' DISPIDs and the
// checks of an automation call's kind and arguments.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/control_abi.h"

namespace controls {

// The Flash members, by DISPID.
enum Dispid : std::int32_t {
    kPlay = 0x70,
    kBackgroundColor = 0x7B,
    kLoadMovie = 0x8E,
    kFsCommandEvent = 0x96,
    kCallFunction = 0xC6,
};

// The Shockwave Flash object's class in any letter case; braces are optional, as hosts differ
// in whether they pass them.
inline bool isFlashClsid(std::string_view clsid) {
    constexpr std::string_view kFlashClsid = "D27CDB6E-AE6D-11CF-96B8-444553540000";
    if (clsid.size() == kFlashClsid.size() + 2 && clsid.front() == '{' && clsid.back() == '}')
        clsid = clsid.substr(1, kFlashClsid.size());
    if (clsid.size() != kFlashClsid.size()) return false;
    for (std::size_t i = 0; i < clsid.size(); ++i) {
        const char c =
            clsid[i] >= 'a' && clsid[i] <= 'z' ? static_cast<char>(clsid[i] - 32) : clsid[i];
        if (c != kFlashClsid[i]) return false;
    }
    return true;
}

inline bool hasKind(platform::control_abi::InvokeKind kind, platform::control_abi::InvokeKind bit) {
    return (static_cast<std::uint16_t>(kind) & static_cast<std::uint16_t>(bit)) != 0;
}

// Whether the arguments are exactly of the types T..., in order.
template <typename... T>
bool argsAre(const std::vector<platform::control_abi::Variant>& args) {
    if (args.size() != sizeof...(T)) return false;
    std::size_t i = 0;
    return (std::holds_alternative<T>(args[i++]) && ...);
}

// A call the member cannot take: "<control>: <member> <what is wrong>".
inline platform::control_abi::InvokeResult misuse(const char* control, const char* member,
                                                  const char* shape) {
    return platform::control_abi::InvokeResult::failure(std::string(control) + ": " + member + " " +
                                                        shape);
}

}  // namespace controls
