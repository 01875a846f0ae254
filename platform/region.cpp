#include "platform/region.h"

namespace platform {

namespace {

// Whether (x, y) lies inside the corner ellipse of radius (rx, ry) centred at (cx, cy), in
// pixel-centre terms.
bool insideEllipse(double x, double y, double cx, double cy, double rx, double ry) {
    const double dx = (x - cx) / rx;
    const double dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

}  // namespace

bool Region::contains(int x, int y) const {
    if (x < bounds.left || x >= bounds.right || y < bounds.top || y >= bounds.bottom) return false;
    if (ellipseWidth <= 1 || ellipseHeight <= 1) return true;
    const double rx = ellipseWidth / 2.0;
    const double ry = ellipseHeight / 2.0;
    const double px = x + 0.5;
    const double py = y + 0.5;
    // Only the four corner boxes can cut a pixel off.
    const double left = bounds.left + rx, right = bounds.right - rx;
    const double top = bounds.top + ry, bottom = bounds.bottom - ry;
    const double cx = px < left ? left : (px > right ? right : px);
    const double cy = py < top ? top : (py > bottom ? bottom : py);
    if (cx == px || cy == py) return true;
    return insideEllipse(px, py, cx, cy, rx, ry);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) {
    return new Region{RECT{left, top, right, bottom}, width, height};
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return CreateRoundRectRgn(left, top, right, bottom, 0, 0);
}

bool DeleteObject(HRGN region) {
    delete region;
    return region != nullptr;
}

}  // namespace platform
