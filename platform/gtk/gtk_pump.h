// The event pump of the GTK thread: waits in GLib's default main context, so X events are
// handled (and turned into posted messages) while the thread's message queue waits.
#pragma once

#include <memory>

#include "platform/backend.h"

namespace platform {

// Only for the thread that runs GTK (the owner of GLib's default main context).
std::unique_ptr<EventPump> makeGlibPump();

}  // namespace platform
