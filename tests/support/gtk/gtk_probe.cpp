#include "tests/support/gtk/gtk_probe.h"

#include <gdk/gdkx.h>
// After Xlib, which it builds on.
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>

#include "platform/gtk/gtk_hot_keys.h"
#include "platform/gtk/gtk_popup_menu.h"
#include "platform/gtk/gtk_window.h"

namespace platform::gtk_probe {

namespace {

GtkNativeWindow& gtkWindow(BackendWindow& window) { return static_cast<GtkNativeWindow&>(window); }

}  // namespace

unsigned long xWindow(BackendWindow& window) {
    GdkWindow* native = gtk_widget_get_window(gtkWindow(window).widget());
    return native != nullptr && GDK_IS_X11_WINDOW(native) ? gdk_x11_window_get_xid(native) : 0;
}

std::vector<std::string> listBoxLines(BackendWindow& window) {
    std::vector<std::string> lines;
    GtkTreeView* view = gtkWindow(window).listView();
    if (view == nullptr) return lines;
    GtkTreeModel* model = gtk_tree_view_get_model(view);
    GtkTreeIter it;
    for (gboolean more = gtk_tree_model_get_iter_first(model, &it); more;
         more = gtk_tree_model_iter_next(model, &it)) {
        gchar* text = nullptr;
        gtk_tree_model_get(model, &it, 0, &text, -1);
        lines.emplace_back(text ? text : "");
        g_free(text);
    }
    return lines;
}

int missingGlyphs(BackendWindow& window, const std::string& text) {
    GtkTreeView* view = gtkWindow(window).listView();
    if (view == nullptr) return -1;
    PangoLayout* layout = gtk_widget_create_pango_layout(GTK_WIDGET(view), text.c_str());
    const int missing = pango_layout_get_unknown_glyphs_count(layout);
    g_object_unref(layout);
    return missing;
}

bool isOnScreen(BackendWindow& window) {
    GtkWidget* widget = gtkWindow(window).widget();
    return gtk_widget_is_drawable(widget) && gtk_widget_get_mapped(gtk_widget_get_toplevel(widget));
}

void* nativeParent(BackendWindow& window) {
    return gtk_widget_get_parent(gtkWindow(window).widget());
}

void addFiller(BackendWindow& site) {
    GtkWidget* filler = gtk_drawing_area_new();
    gtk_container_add(GTK_CONTAINER(site.nativeHandle()), filler);
    gtk_widget_show(filler);
}

RECT fillerAllocation(BackendWindow& site) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(site.nativeHandle()));
    if (child == nullptr) return RECT{};
    GtkAllocation a;
    gtk_widget_get_allocation(child, &a);
    GtkAllocation own;
    gtk_widget_get_allocation(GTK_WIDGET(site.nativeHandle()), &own);
    // A widget with a window of its own counts its children from its own corner.
    if (gtk_widget_get_has_window(GTK_WIDGET(site.nativeHandle()))) own.x = own.y = 0;
    return RECT{a.x - own.x, a.y - own.y, a.x - own.x + a.width, a.y - own.y + a.height};
}

void requestClose(BackendWindow& window) {
    GtkWidget* widget = gtkWindow(window).widget();
    if (GTK_IS_WINDOW(widget)) gtk_window_close(GTK_WINDOW(widget));
}

std::vector<RECT> xShape(BackendWindow& window) {
    std::vector<RECT> rects;
    const unsigned long xid = xWindow(window);
    if (xid == 0) return rects;
    int count = 0, ordering = 0;
    XRectangle* shape = XShapeGetRectangles(GDK_DISPLAY_XDISPLAY(gdk_display_get_default()), xid,
                                            ShapeBounding, &count, &ordering);
    for (int i = 0; i < count; ++i)
        rects.push_back(RECT{shape[i].x, shape[i].y, shape[i].x + shape[i].width,
                             shape[i].y + shape[i].height});
    if (shape != nullptr) XFree(shape);
    return rects;
}

namespace {

RECT screenRect(GtkWidget* widget) {
    GtkWidget* top = gtk_widget_get_toplevel(widget);
    int x = 0, y = 0, ox = 0, oy = 0;
    gtk_widget_translate_coordinates(widget, top, 0, 0, &x, &y);
    gdk_window_get_origin(gtk_widget_get_window(top), &ox, &oy);
    return RECT{ox + x, oy + y, ox + x + gtk_widget_get_allocated_width(widget),
                oy + y + gtk_widget_get_allocated_height(widget)};
}

}  // namespace

PopupMenuView popupMenu() {
    PopupMenuView view;
    GtkWidget* menu = openPopupMenu();
    if (menu == nullptr) return view;
    view.window = screenRect(gtk_widget_get_toplevel(menu));
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* it = children; it != nullptr; it = it->next)
        view.items.push_back(screenRect(GTK_WIDGET(it->data)));
    g_list_free(children);
    return view;
}

std::string shownCursor() {
    XFixesCursorImage* image =
        XFixesGetCursorImage(GDK_DISPLAY_XDISPLAY(gdk_display_get_default()));
    const std::string name = image != nullptr && image->name != nullptr ? image->name : "";
    if (image != nullptr) XFree(image);
    return name;
}

GtkTrayIcons::State trayIcon(HWND hwnd, UINT id) {
    const GtkTrayIcons* icons = GtkTrayIcons::current();
    return icons ? icons->state(hwnd, id) : GtkTrayIcons::State{};
}

ForeignKeyGrab::ForeignKeyGrab(UINT modifiers, UINT virtualKey) {
    // XCB reports a refused request to the caller instead of to an error handler.
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    connection_ = connection;
    if (xcb_connection_has_error(connection)) return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto cookie = xcb_grab_key_checked(connection, 0, root,
                                             static_cast<std::uint16_t>(xModifiersFor(modifiers)),
                                             static_cast<xcb_keycode_t>(xKeyCodeFor(virtualKey)),
                                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_generic_error_t* error = xcb_request_check(connection, cookie);
    held_ = error == nullptr;
    std::free(error);
}

ForeignKeyGrab::~ForeignKeyGrab() {
    // The server drops a client's grabs with its connection.
    xcb_disconnect(static_cast<xcb_connection_t*>(connection_));
}

}  // namespace platform::gtk_probe
