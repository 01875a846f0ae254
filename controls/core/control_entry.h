// The entry point every control library exports, written once: control_entry.cpp defines
// vexoCreateControl, which checks the request and then asks the library for its control.
#pragma once

#include "controls/control_abi.h"

namespace controls {

// Defined by each control library: a new control reporting to `site`, or nullptr when the
// library cannot run here. Called only for a request of the Flash class, on this ABI version,
// with a site.
platform::control_abi::Control* makeControl(platform::control_abi::ControlSite* site);

}  // namespace controls
