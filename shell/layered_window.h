// Whole-window transparency.
#pragma once

#include <cstdint>

#include "platform/os/win32.h"

// Makes the window layered (it stays so) and gives it a constant opacity, 0 (invisible, though
// still shown) to 255 (opaque). Nothing happens for a handle that names no window.
void setLayeredAlpha(platform::HWND hwnd, std::uint8_t alpha);
