#include "platform/gtk/gtk_pointer.h"

#include <gtk/gtk.h>

#include <map>

#include "platform/gtk/gtk_input.h"
#include "platform/gtk/gtk_window.h"

namespace platform {

namespace {

struct CursorName {
    int id;
    const char* name;        // the CSS name cursor themes know
    GdkCursorType fallback;  // from the X core cursor font, which every server has
};

constexpr CursorName kCursors[] = {
    {IDC_ARROW, "default", GDK_LEFT_PTR},
    {IDC_SIZENWSE, "nwse-resize", GDK_BOTTOM_RIGHT_CORNER},
    {IDC_SIZENESW, "nesw-resize", GDK_BOTTOM_LEFT_CORNER},
    {IDC_SIZEWE, "ew-resize", GDK_SB_H_DOUBLE_ARROW},
    {IDC_SIZENS, "ns-resize", GDK_SB_V_DOUBLE_ARROW},
    {IDC_SIZEALL, "move", GDK_FLEUR},
    {IDC_HAND, "pointer", GDK_HAND2},
};

GdkDevice* pointer() {
    return gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
}

// Made once per cursor and kept, as system cursors are on Windows.
GdkCursor* cursorFor(int id) {
    static std::map<int, GdkCursor*> made;  // the GTK thread's
    if (auto it = made.find(id); it != made.end()) return it->second;
    GdkDisplay* display = gdk_display_get_default();
    GdkCursor* cursor = nullptr;
    for (const auto& entry : kCursors) {
        if (entry.id != id) continue;
        cursor = gdk_cursor_new_from_name(display, entry.name);
        if (cursor == nullptr) cursor = gdk_cursor_new_for_display(display, entry.fallback);
    }
    return made[id] = cursor;
}

// The program's top-level window under the pointer, else the one holding the pointer grab.
GdkWindow* cursorWindow() {
    GdkWindow* under = gdk_device_get_window_at_position(pointer(), nullptr, nullptr);
    if (under != nullptr) return gdk_window_get_toplevel(under);
    // Outside the program's windows a grab shows the grab window's cursor.
    GtkNativeWindow* captured = capturedWindow();
    if (captured == nullptr) return nullptr;
    return gtk_widget_get_window(gtk_widget_get_toplevel(captured->widget()));
}

}  // namespace

POINT pointerPosition() {
    int x = 0, y = 0;
    gdk_device_get_position(pointer(), nullptr, &x, &y);
    return POINT{x, y};
}

bool pointerLeftButtonDown() {
    GdkModifierType mask = GdkModifierType(0);
    gdk_device_get_state(pointer(), gdk_get_default_root_window(), nullptr, &mask);
    return (mask & GDK_BUTTON1_MASK) != 0;
}

void setPointerCursor(int systemCursorId) {
    GdkCursor* cursor = cursorFor(systemCursorId);
    GdkWindow* window = cursorWindow();
    // Children without a cursor of their own show their top-level window's.
    if (cursor != nullptr && window != nullptr) gdk_window_set_cursor(window, cursor);
}

}  // namespace platform
