// The program-wide colours of dialogs and message boxes, as one style sheet for the screen.
#pragma once

#include "platform/os/win32.h"

namespace platform {

// The style class every top-level window of the backend carries.
constexpr const char* kDialogStyleClass = "vexo-dialog";

// Replaces the colours of all dialogs and message boxes, open ones included.
void applyDialogColors(COLORREF background, COLORREF text);

}  // namespace platform
