// Texts handed to GTK, which takes nothing but valid UTF-8.
#pragma once

#include <string>

namespace platform {

// `text` itself when it is valid UTF-8; otherwise a copy with the bad bytes replaced.
std::string validUtf8(const std::string& text);

}  // namespace platform
