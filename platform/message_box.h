// Message boxes: a text, a caption and buttons; the answer is the button chosen.
#pragma once

#include <string>

#include "platform/os/win32.h"

namespace platform {

// MessageBoxA: runs on the calling thread and returns IDOK, IDYES, ... The owner is a window of
// the calling thread; any other handle counts as none.
int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// The application's name: the file name of the running executable without a trailing ".exe"
// ("VexoClient" for VexoClient.exe).
std::string applicationName();

// AfxMessageBox: a box without an owner window, captioned with applicationName(). Same thread
// rules and answers as messageBox.
int AfxMessageBox(const std::string& text, UINT type = MB_OK);

}  // namespace platform
