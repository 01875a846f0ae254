// The border zones of a borderless window: where the mouse resizes it, with which cursor and
// which system sizing command.
#pragma once

#include "platform/os/win32.h"

namespace size_zone {

// Width of the band along each edge.
constexpr int kBand = 7;

// 0 inside; 1 left-top, 2 left, 3 left-bottom, 4 right-top, 5 right, 6 right-bottom, 7 top,
// 8 bottom. Coordinates are client coordinates; the right edge is tested before the left.
int classify(const platform::RECT& client, int x, int y);

// The system cursor of a zone (IDC_*), 0 for zone 0 or an unknown zone.
int cursorOf(int zone);

// WM_SYSCOMMAND's SC_SIZE + WMSZ_* for a zone, 0 for zone 0 or an unknown zone.
platform::WPARAM sizingCommandOf(int zone);

}  // namespace size_zone
