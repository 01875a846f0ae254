// The GTK backend: real X11 windows through GTK 3. The thread that creates the backend becomes
// the GTK thread; windows are made and run on it, and its message queue waits in GLib's main
// loop. Other threads wait on a condition variable.
#pragma once

#include <memory>
#include <string>

#include "platform/backend.h"

namespace platform {

// Opens the X display. Without one, returns nullptr and sets `error` to one line saying so.
std::unique_ptr<Backend> createGtkBackend(std::string* error);

}  // namespace platform
