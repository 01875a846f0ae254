// Window regions: the shape a window keeps of its rectangle. Only the shapes the programs use:
// rectangles and rounded rectangles.
#pragma once

#include <memory>

#include "platform/os/win32.h"

namespace platform {

struct Region {
    RECT bounds;
    // Width and height of the ellipse that rounds the corners; 0 for square corners.
    int ellipseWidth = 0;
    int ellipseHeight = 0;

    // Whether the pixel (x, y) lies inside (window coordinates).
    bool contains(int x, int y) const;
    bool operator==(const Region&) const = default;
};

// A region handle. SetWindowRgn takes ownership; otherwise DeleteObject frees it.
using HRGN = Region*;

// CreateRoundRectRgn / CreateRectRgn: the right and bottom edges are excluded.
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
HRGN CreateRectRgn(int left, int top, int right, int bottom);
bool DeleteObject(HRGN region);

}  // namespace platform
