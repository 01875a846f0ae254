// libsodium wants sodium_init once before its other functions are used; any thread may be first.
#pragma once

#include <sodium.h>

// True when libsodium is ready (it fails only when the system offers no random source).
inline bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}
