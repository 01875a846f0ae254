// Icons of the program's resources. An icon handle names its resource, as MAKEINTRESOURCE names
// one in Win32; each backend draws the resources it knows (the program's icon, 128).
#pragma once

#include <cstdint>

#include "platform/os/win32.h"

namespace platform {

// The icon resource `resource` of the program; null for 0.
inline HICON LoadIcon(UINT resource) {
    return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(resource));
}

// The resource an icon handle names; 0 for null.
inline UINT iconResourceOf(HICON icon) {
    return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(icon));
}

}  // namespace platform
