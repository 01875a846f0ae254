// The per-user directory where named mutexes, the registered message table and the
// cross-process broadcast live.
#pragma once

#include <string>

namespace platform {

// $VEXO_RUNTIME_DIR, else $XDG_RUNTIME_DIR/vexo, else /tmp/vexo-<uid>. A missing directory is
// created with mode 0700 in one step (its parents as needed); an existing one must be a real
// directory (not a symbolic link) owned by this user, and is narrowed to 0700 when wider.
//
// A directory that fails these checks (another user made /tmp/vexo-<uid>, say) is never used:
// the private fallback $HOME/.cache/vexo/run is used instead, checked the same way, and one line
// on stderr names both (once per refused directory and process). Empty only when the fallback
// fails too; callers then build no path and go without the shared objects. Any thread.
std::string runtimeDirectory();

}  // namespace platform
