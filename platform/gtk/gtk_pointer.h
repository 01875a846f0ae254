// The mouse pointer as the X server has it: its position and buttons, and the cursor shown
// over the program's windows. GTK thread only.
#pragma once

#include "platform/os/win32.h"

namespace platform {

POINT pointerPosition();
bool pointerLeftButtonDown();
// Shows the system cursor IDC_* over the program's top-level window under the pointer, or over
// the window that has the mouse capture; it stays there until another cursor is set.
void setPointerCursor(int systemCursorId);

}  // namespace platform
