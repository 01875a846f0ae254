// Message boxes: a text, a caption and buttons; the answer is the button chosen.
#pragma once

#include <string>

#include "platform/win32.h"

namespace platform {

// MessageBoxA: runs on the calling thread and returns IDOK, IDYES, ...
int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// AfxMessageBox: a box without an owner whose caption is the application's name, the
// program's file name without ".exe" ("VexoClient" for VexoClient.exe).
int AfxMessageBox(const std::string& text, UINT type = MB_OK);

}  // namespace platform
