#include "platform/gtk/gtk_shape.h"

#include <vector>

namespace platform {

namespace {

using Runs = std::vector<std::pair<int, int>>;  // [begin, end) along one row

Runs rowRuns(const Region& region, int y) {
    Runs runs;
    const RECT& b = region.bounds;
    for (int x = b.left; x < b.right;) {
        while (x < b.right && !region.contains(x, y)) ++x;
        const int begin = x;
        while (x < b.right && region.contains(x, y)) ++x;
        if (x > begin) runs.emplace_back(begin, x);
    }
    return runs;
}

void addBand(std::vector<cairo_rectangle_int_t>& rects, const Runs& runs, int top, int bottom) {
    for (const auto& [begin, end] : runs) rects.push_back({begin, top, end - begin, bottom - top});
}

}  // namespace

cairo_region_t* pixelRegion(const Region& region, int dx, int dy) {
    // Rows with the same runs become one band: a rounded rectangle is a few dozen rectangles.
    std::vector<cairo_rectangle_int_t> rects;
    Runs band;
    int bandTop = region.bounds.top;
    for (int y = region.bounds.top; y < region.bounds.bottom; ++y) {
        Runs runs = rowRuns(region, y);
        if (runs == band) continue;
        addBand(rects, band, bandTop, y);
        band = std::move(runs);
        bandTop = y;
    }
    addBand(rects, band, bandTop, region.bounds.bottom);
    cairo_region_t* pixels =
        cairo_region_create_rectangles(rects.data(), static_cast<int>(rects.size()));
    cairo_region_translate(pixels, dx, dy);
    return pixels;
}

}  // namespace platform
