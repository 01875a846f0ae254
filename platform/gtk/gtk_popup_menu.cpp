#include "platform/gtk/gtk_popup_menu.h"

#include <gdk/gdkx.h>

#include "platform/gtk/gtk_text.h"
#include "platform/messages.h"

namespace platform {

namespace {

constexpr const char* kCommandKey = "vexo-command";

struct Tracking {
    UINT chosen = 0;
    bool done = false;
};

GtkWidget* g_open = nullptr;  // the GTK thread's

// Win32 marks mnemonics with '&' ("&&" for the sign itself); GTK with '_'.
std::string mnemonicLabel(const std::string& text) {
    std::string label;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '&' && i + 1 < text.size())
            label += text[++i] == '&' ? "&" : "_" + std::string(1, text[i]);
        else if (c == '_')
            label += "__";
        else
            label += c == '\t' ? "    " : std::string(1, c);
    }
    return validUtf8(label);
}

void onActivate(GtkMenuItem* item, gpointer data) {
    static_cast<Tracking*>(data)->chosen =
        GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), kCommandKey));
}

GtkWidget* buildMenu(const Menu& menu, Tracking& tracking);

GtkWidget* buildItem(const MenuItem& entry, Tracking& tracking) {
    if (entry.flags & MF_SEPARATOR) return gtk_separator_menu_item_new();
    const std::string label = mnemonicLabel(entry.text);
    GtkWidget* item = (entry.flags & MF_CHECKED)
                          ? gtk_check_menu_item_new_with_mnemonic(label.c_str())
                          : gtk_menu_item_new_with_mnemonic(label.c_str());
    if (entry.flags & MF_CHECKED) gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
    gtk_widget_set_sensitive(item, !(entry.flags & MF_GRAYED));
    if (entry.popup) {
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), buildMenu(*entry.popup, tracking));
    } else {
        g_object_set_data(G_OBJECT(item), kCommandKey, GUINT_TO_POINTER(entry.id));
        g_signal_connect(item, "activate", G_CALLBACK(onActivate), &tracking);
    }
    return item;
}

GtkWidget* buildMenu(const Menu& menu, Tracking& tracking) {
    GtkWidget* widget = gtk_menu_new();
    for (const MenuItem& entry : menu.items())
        gtk_menu_shell_append(GTK_MENU_SHELL(widget), buildItem(entry, tracking));
    gtk_widget_show_all(widget);
    return widget;
}

// A chosen item is activated after its menu closed, in the same event; either way the loop
// looks again once the event is handled.
void onClosed(GtkMenuShell*, gpointer data) {
    static_cast<Tracking*>(data)->done = true;
    ThreadQueue::current().post(MSG{});
}

// The menu is tracked outside the input event that asked for it (a message came between);
// GTK takes the pointer and the time of the user's last input from the event it is given.
GdkEvent* userInputEvent() {
    GdkDisplay* display = gdk_display_get_default();
    GdkEvent* event = gdk_event_new(GDK_BUTTON_RELEASE);
    event->button.window = GDK_WINDOW(g_object_ref(gdk_get_default_root_window()));
    event->button.time = gdk_x11_display_get_user_time(display);
    gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(display)));
    return event;
}

void popUp(GtkWidget* menu, POINT at) {
    // The top left corner at the point (TPM_LEFTALIGN); GTK flips it where the screen ends.
    const GdkRectangle point{at.x, at.y, 1, 1};
    GdkEvent* trigger = userInputEvent();
    gtk_menu_popup_at_rect(GTK_MENU(menu), gdk_get_default_root_window(), &point,
                           GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST, trigger);
    gdk_event_free(trigger);
}

void track(GtkWidget* menu, Tracking& tracking) {
    MSG msg;
    while (!tracking.done) {
        if (!getMessage(msg)) {
            // WM_QUIT ends the menu and is left for the outer loop.
            postQuitMessage(static_cast<int>(msg.wParam));
            gtk_menu_shell_cancel(GTK_MENU_SHELL(menu));
            tracking.chosen = 0;
            return;
        }
        dispatchMessage(msg);
    }
}

}  // namespace

UINT runPopupMenu(const Menu& menu, POINT at) {
    Tracking tracking;
    GtkWidget* widget = buildMenu(menu, tracking);
    g_signal_connect(widget, "deactivate", G_CALLBACK(onClosed), &tracking);
    g_signal_connect(widget, "selection-done", G_CALLBACK(onClosed), &tracking);
    GtkWidget* outer = g_open;
    g_open = widget;
    popUp(widget, at);
    // A menu that could not take the pointer and keyboard is not shown.
    if (gtk_widget_get_visible(widget)) track(widget, tracking);
    g_open = outer;
    gtk_widget_destroy(widget);
    return tracking.chosen;
}

GtkWidget* openPopupMenu() { return g_open; }

}  // namespace platform
