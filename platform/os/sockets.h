// AfxSocketInit: whether this process can use network sockets at all.
#pragma once

namespace platform {

// Sockets need no set-up on Linux; this asks the system for one (and closes it), so a process
// that may not create sockets (a sandbox, no descriptors left) is told so before it relies on
// them.
bool AfxSocketInit();

}  // namespace platform
