// Choosing the window backend when a program starts.
#pragma once

#include <memory>
#include <string>

#include "platform/backend.h"

namespace platform {

// Creates the backend that VEXO_BACKEND names: "gtk" (the default when unset or empty) or
// "headless". On failure returns nullptr and sets `error` to one line a person can act on.
std::unique_ptr<Backend> createBackendFromEnvironment(std::string* error);

// Installs the backend VEXO_BACKEND names. On failure writes the one-line reason to standard
// error and returns false; the program then exits with a non-zero status.
bool installBackendFromEnvironment();

}  // namespace platform
