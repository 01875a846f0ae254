// The headless backend: windows live in memory only. Geometry is exact and deterministic, every
// observable change is written to the UI trace, and user input comes from a script.
#pragma once

#include <memory>

#include "platform/backend.h"

namespace platform {

// Reads VEXO_UI_TRACE and VEXO_HEADLESS_SCRIPT (see docs/headless.md).
std::unique_ptr<Backend> createHeadlessBackend();

}  // namespace platform
