// Dialog templates, the resources a dialog is created from, held as C++ tables.
#pragma once

#include <span>
#include <string_view>

#include "platform/os/win32.h"

namespace platform {

// Window classes of template controls.
enum class ControlClass { ListBox, Static, Button };

struct DialogItemTemplate {
    ControlClass controlClass;
    UINT id;
    // Position and size in dialog units.
    short x, y, cx, cy;
    DWORD style;
    std::string_view text = {};
};

struct DialogTemplate {
    UINT id;
    DWORD style;
    DWORD exStyle;
    // Position and size of the client area in dialog units.
    short x, y, cx, cy;
    std::string_view caption;
    std::string_view fontName;
    short pointSize;
    std::span<const DialogItemTemplate> items;
};

// Dialog units to pixels. A dialog unit is a quarter of the dialog font's average character
// width and an eighth of its height; the dialog font is taken to be 8 x 16 pixels, the system
// font of a Chinese Windows at 96 DPI, so one unit is 2 pixels each way.
constexpr int kDialogBaseUnitX = 8;
constexpr int kDialogBaseUnitY = 16;
constexpr int dialogUnitsToPixelsX(int units) { return units * kDialogBaseUnitX / 4; }
constexpr int dialogUnitsToPixelsY(int units) { return units * kDialogBaseUnitY / 8; }

}  // namespace platform
