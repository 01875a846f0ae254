// What every movie control shares: the checks of its entry point and of an automation call's
// kind and arguments, and the members' DISPIDs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "controls/control_abi.h"
#include "controls/flash_interface.h"

namespace controls {

// The Flash members and event, by DISPID.
using platform::flash::kBackgroundColor;
using platform::flash::kCallFunction;
using platform::flash::kLoadMovie;
using platform::flash::kPlay;
inline constexpr std::int32_t kFsCommandEvent = platform::flash::kFsCommand;

// The checks of every control library's entry point: the ABI it was built for, a class ID of
// the Flash class and a site to report to.
inline bool isControlRequest(int abiVersion, const char* clsid,
                             const platform::control_abi::ControlSite* site) {
    return abiVersion == platform::control_abi::kAbiVersion && clsid != nullptr &&
           site != nullptr && platform::flash::isFlashClsid(clsid);
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

// A DISPID as the traces and errors write it: "0x96".
inline std::string dispidText(std::int32_t dispid) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(dispid));
    return hex;
}

// The answer to a DISPID the control does not have: "<control>: no member with DISPID 0x<hex>".
inline platform::control_abi::InvokeResult noMember(const char* control, std::int32_t dispid) {
    return platform::control_abi::InvokeResult::failure(
        std::string(control) + ": no member with DISPID " + dispidText(dispid));
}

}  // namespace controls
