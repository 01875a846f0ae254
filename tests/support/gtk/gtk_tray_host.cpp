#include "tests/support/gtk/gtk_tray_host.h"

#include <gdk/gdkx.h>
#include <gtk/gtkx.h>

namespace platform::gtk_probe {

namespace {

constexpr long kRequestDock = 0;

GtkWidget* widget(void* p) { return static_cast<GtkWidget*>(p); }

GdkFilterReturn onClientMessage(GdkXEvent* native, GdkEvent*, gpointer self) {
    const auto* event = static_cast<const XEvent*>(native);
    if (event->type != ClientMessage) return GDK_FILTER_CONTINUE;
    const XClientMessageEvent& message = event->xclient;
    GdkDisplay* display = gdk_display_get_default();
    if (message.message_type !=
            gdk_x11_get_xatom_by_name_for_display(display, "_NET_SYSTEM_TRAY_OPCODE") ||
        message.data.l[1] != kRequestDock)
        return GDK_FILTER_CONTINUE;
    static_cast<TrayHost*>(self)->dock(static_cast<unsigned long>(message.data.l[2]));
    return GDK_FILTER_REMOVE;
}

// Takes the tray selection and tells the clients waiting for a tray that there is one.
void announce(GdkWindow* panel) {
    GdkDisplay* display = gdk_window_get_display(panel);
    Display* x = GDK_DISPLAY_XDISPLAY(display);
    const Atom selection = gdk_x11_get_xatom_by_name_for_display(display, "_NET_SYSTEM_TRAY_S0");
    XSetSelectionOwner(x, selection, GDK_WINDOW_XID(panel), CurrentTime);
    XClientMessageEvent manager{};
    manager.type = ClientMessage;
    manager.window = DefaultRootWindow(x);
    manager.message_type = gdk_x11_get_xatom_by_name_for_display(display, "MANAGER");
    manager.format = 32;
    manager.data.l[0] = CurrentTime;
    manager.data.l[1] = static_cast<long>(selection);
    manager.data.l[2] = static_cast<long>(GDK_WINDOW_XID(panel));
    XSendEvent(x, manager.window, False, StructureNotifyMask, reinterpret_cast<XEvent*>(&manager));
}

}  // namespace

TrayHost::TrayHost() {
    GtkWidget* panel = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    panel_ = panel;
    gtk_window_set_decorated(GTK_WINDOW(panel), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(panel), 200, 40);
    GdkRectangle screen;
    gdk_monitor_get_geometry(gdk_display_get_monitor(gdk_display_get_default(), 0), &screen);
    gtk_window_move(GTK_WINDOW(panel), screen.x + screen.width - 200, screen.y);
    row_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    gtk_container_add(GTK_CONTAINER(panel), widget(row_));
    gtk_widget_show_all(panel);
    gdk_window_add_filter(gtk_widget_get_window(panel), onClientMessage, this);
    announce(gtk_widget_get_window(panel));
}

TrayHost::~TrayHost() {
    // Its window gone, the selection is free and the icons lose their tray.
    gdk_window_remove_filter(gtk_widget_get_window(widget(panel_)), onClientMessage, this);
    gtk_widget_destroy(widget(panel_));
}

void TrayHost::dock(unsigned long icon) {
    GtkWidget* socket = gtk_socket_new();
    gtk_box_pack_start(GTK_BOX(row_), socket, FALSE, FALSE, 0);
    gtk_widget_show(socket);
    gtk_socket_add_id(GTK_SOCKET(socket), icon);
}

}  // namespace platform::gtk_probe
