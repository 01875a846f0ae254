// Message boxes: a text, a caption and buttons; the answer is the button chosen.
#pragma once

#include <string>

#include "platform/win32.h"

namespace platform {

// MessageBoxA: runs on the calling thread and returns IDOK, IDYES, ...
int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

}  // namespace platform
