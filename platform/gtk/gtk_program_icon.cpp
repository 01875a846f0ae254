#include "platform/gtk/gtk_program_icon.h"

#include <cairo.h>
#include <gdk/gdk.h>

namespace platform {
namespace {

void roundedSquare(cairo_t* cr, double size, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, size - radius, radius, radius, -G_PI / 2, 0);
    cairo_arc(cr, size - radius, size - radius, radius, 0, G_PI / 2);
    cairo_arc(cr, radius, size - radius, radius, G_PI / 2, G_PI);
    cairo_arc(cr, radius, radius, radius, G_PI, 3 * G_PI / 2);
    cairo_close_path(cr);
}

// Drawn on a 32-pixel grid, scaled to the size asked for.
GdkPixbuf* drawProgramIcon(int size) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, size / 32.0, size / 32.0);
    roundedSquare(cr, 32, 6);
    cairo_set_source_rgb(cr, 0.12, 0.47, 0.85);
    cairo_fill(cr);
    cairo_move_to(cr, 12, 8);
    cairo_line_to(cr, 25, 16);
    cairo_line_to(cr, 12, 24);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_surface(surface, 0, 0, size, size);
    cairo_surface_destroy(surface);
    return pixbuf;
}

}  // namespace

GdkPixbuf* drawIcon(UINT resource, int size) {
    return resource == kProgramIcon && size > 0 ? drawProgramIcon(size) : nullptr;
}

}  // namespace platform
