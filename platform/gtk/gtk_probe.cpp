#include "platform/gtk/gtk_probe.h"

#include <gdk/gdkx.h>

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

}  // namespace platform::gtk_probe
