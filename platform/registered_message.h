// RegisterWindowMessage: a message number for a text, the same in every program of this user
// for the same text (0xC000 to 0xFFFF).
#pragma once

#include <string>

#include "platform/win32.h"

namespace platform {

// 0 when the text is empty or the table of names cannot be used.
UINT registerWindowMessage(const std::string& text);

}  // namespace platform
