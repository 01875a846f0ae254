// The per-user directory where named mutexes and the cross-process broadcast live.
#pragma once

#include <string>

namespace platform {

// $VEXO_RUNTIME_DIR, else $XDG_RUNTIME_DIR/vexo, else /tmp/vexo-<uid>; created (mode 0700)
// when missing. Empty when it cannot be created.
std::string runtimeDirectory();

}  // namespace platform
