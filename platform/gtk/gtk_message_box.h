// Message boxes as GTK message dialogs with the Win32 buttons and answers.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "platform/os/win32.h"

namespace platform {

// Shows the box over `owner` (may be nullptr) and runs the calling thread's message loop until
// a button is chosen, as MessageBox does: timers and messages for other windows go on. Returns
// IDOK, IDCANCEL, IDYES, IDNO or IDRETRY. A WM_QUIT ends the box with its cancel answer and is
// left for the outer loop. GTK thread only.
int runMessageBox(GtkWindow* owner, const std::string& text, const std::string& caption, UINT type);

}  // namespace platform
