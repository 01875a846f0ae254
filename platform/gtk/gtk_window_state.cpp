// Show state, stacking, shape, opacity, activation and capture of a native window, and the
// window manager's move and sizing loops.
#include <cstdio>

#include <algorithm>

#include "platform/gtk/gtk_input.h"
#include "platform/gtk/gtk_shape.h"
#include "platform/gtk/gtk_window.h"
#include "platform/gtk/gtk_window_manager.h"

namespace platform {

namespace {

GdkWindowEdge edgeFor(WPARAM edge) {
    switch (edge) {
        case WMSZ_LEFT:
            return GDK_WINDOW_EDGE_WEST;
        case WMSZ_RIGHT:
            return GDK_WINDOW_EDGE_EAST;
        case WMSZ_TOP:
            return GDK_WINDOW_EDGE_NORTH;
        case WMSZ_TOPLEFT:
            return GDK_WINDOW_EDGE_NORTH_WEST;
        case WMSZ_TOPRIGHT:
            return GDK_WINDOW_EDGE_NORTH_EAST;
        case WMSZ_BOTTOM:
            return GDK_WINDOW_EDGE_SOUTH;
        case WMSZ_BOTTOMLEFT:
            return GDK_WINDOW_EDGE_SOUTH_WEST;
        default:
            return GDK_WINDOW_EDGE_SOUTH_EAST;
    }
}

}  // namespace

namespace {

void warnOnceNotComposited() {
    static bool warned = false;
    if (warned) return;
    warned = true;
    std::fputs("vexo: no compositing manager: transparent windows are hidden instead\n", stderr);
}

}  // namespace

void GtkNativeWindow::applyVisibility() {
    gtk_widget_set_visible(widget_, visible_ && !withdrawn_ && !transparent_);
}

void GtkNativeWindow::setShowState(UINT showCmd) {
    const bool minimize = showCmd == SW_SHOWMINIMIZED;
    if (kind_ != WindowKind::TopLevel || minimize == minimized_) return;
    minimized_ = minimize;
    // The bounds of a maximised window come from the portable layer; the window manager is
    // only told about iconifying.
    if (minimize)
        gtk_window_iconify(GTK_WINDOW(widget_));
    else
        gtk_window_deiconify(GTK_WINDOW(widget_));
    // Without a window manager nothing iconifies the window: it leaves the screen, as a
    // minimised window leaves the desktop on Windows.
    withdrawn_ = minimize && !windowManagerRunning();
    applyVisibility();
}

void GtkNativeWindow::setTopmost(bool topmost) {
    if (kind_ != WindowKind::TopLevel) return;
    gtk_window_set_keep_above(GTK_WINDOW(widget_), topmost);
    GdkWindow* window = gtk_widget_get_window(widget_);
    if (window == nullptr || !gtk_widget_get_mapped(widget_) || windowManagerRunning()) return;
    // Nobody heard the request of a mapped window: the state goes on the window itself, and
    // the window comes to the top now, which is all the stacking there is without a manager.
    setUnmanagedWmState(window, "_NET_WM_STATE_ABOVE", topmost);
    if (topmost) gdk_window_raise(window);
}

void GtkNativeWindow::setShape(const Region* region) {
    // Only a widget with an X window of its own can take a shape.
    if (!gtk_widget_get_has_window(widget_)) return;
    if (region == nullptr) {
        gtk_widget_shape_combine_region(widget_, nullptr);
        return;
    }
    // Regions are in window coordinates; a decorated window's X window is its client area.
    const POINT origin = decorated() ? POINT{insets_.left, insets_.top} : POINT{};
    cairo_region_t* pixels = pixelRegion(*region, -origin.x, -origin.y);
    gtk_widget_shape_combine_region(widget_, pixels);
    cairo_region_destroy(pixels);
}

void GtkNativeWindow::setOpacity(std::uint8_t alpha) {
    // Layered windows are top-level windows; GTK puts a top-level's opacity on its X window.
    if (kind_ != WindowKind::TopLevel) return;
    gtk_widget_set_opacity(widget_, alpha / 255.0);
    // Without a compositing manager opacity shows nothing: a window meant to be invisible
    // would cover the screen instead. It is taken off the screen until it is given an alpha.
    const bool composited = gdk_screen_is_composited(gtk_widget_get_screen(widget_));
    if (!composited) warnOnceNotComposited();
    transparent_ = !composited && alpha == 0;
    applyVisibility();
}

void GtkNativeWindow::activate() {
    // Presenting would show a hidden window and restore a minimised one; activating does not.
    if (kind_ != WindowKind::TopLevel || !gtk_widget_get_visible(widget_) || minimized_) return;
    // Outside an event GTK takes the time of the user's last input, as focus rules want.
    gtk_window_present_with_time(GTK_WINDOW(widget_), gtk_get_current_event_time());
}

void GtkNativeWindow::setCapture(bool captured) {
    if (captured)
        capturePointer(this);
    else
        releasePointer(this);
}

bool GtkNativeWindow::beginMoveSize(WPARAM edge, POINT at, const MINMAXINFO& limits) {
    // Without a manager that runs the loop GDK would move the window itself, behind the
    // portable layer's back; the portable loop follows the mouse instead.
    if (kind_ != WindowKind::TopLevel || !windowManagerSupports("_NET_WM_MOVERESIZE")) return false;
    GtkWindow* window = GTK_WINDOW(widget_);
    if (edge == 0) {
        gtk_window_begin_move_drag(window, GDK_BUTTON_PRIMARY, at.x, at.y, lastLeftPressTime());
        return true;
    }
    // GTK lets the window manager size only a resizable window.
    if (!(style_ & WS_THICKFRAME)) return false;
    limitSize(limits);
    gtk_window_begin_resize_drag(window, edgeFor(edge), GDK_BUTTON_PRIMARY, at.x, at.y,
                                 lastLeftPressTime());
    return true;
}

void GtkNativeWindow::limitSize(const MINMAXINFO& limits) {
    // A decorated GtkWindow is the client area: the frame the portable layer counts comes off.
    const LONG frameX = decorated() ? insets_.left + insets_.right : 0;
    const LONG frameY = decorated() ? insets_.top + insets_.bottom : 0;
    GdkGeometry hints{};
    hints.min_width = static_cast<gint>(std::max<LONG>(1, limits.ptMinTrackSize.x - frameX));
    hints.min_height = static_cast<gint>(std::max<LONG>(1, limits.ptMinTrackSize.y - frameY));
    hints.max_width =
        std::max(hints.min_width, static_cast<gint>(limits.ptMaxTrackSize.x - frameX));
    hints.max_height =
        std::max(hints.min_height, static_cast<gint>(limits.ptMaxTrackSize.y - frameY));
    gtk_window_set_geometry_hints(GTK_WINDOW(widget_), nullptr, &hints,
                                  GdkWindowHints(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
    sizeLimited_ = true;
}

void GtkNativeWindow::unlimitSize() {
    if (!sizeLimited_) return;
    gtk_window_set_geometry_hints(GTK_WINDOW(widget_), nullptr, nullptr, GdkWindowHints(0));
    sizeLimited_ = false;
}

}  // namespace platform
