// Window regions as X shapes: the pixels a region holds, as the rectangles cairo and the X
// shape extension take.
#pragma once

#include <cairo.h>

#include "platform/region.h"

namespace platform {

// The pixels of `region` for which Region::contains holds, moved by (dx, dy). The caller
// destroys the result.
cairo_region_t* pixelRegion(const Region& region, int dx, int dy);

}  // namespace platform
