#include "tests/controls/webmovie/view_probe.h"

#include <algorithm>

namespace webmovie_test {

WebKitWebView* webViewIn(GtkWidget* container) {
    GtkWidget* child = GTK_IS_BIN(container) ? gtk_bin_get_child(GTK_BIN(container)) : nullptr;
    return child && WEBKIT_IS_WEB_VIEW(child) ? WEBKIT_WEB_VIEW(child) : nullptr;
}

void clickAt(WebKitWebView* view, int x, int y) {
    GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(view));
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->button.window = GDK_WINDOW(g_object_ref(window));
        event->button.time = GDK_CURRENT_TIME;
        event->button.x = x;
        event->button.y = y;
        event->button.button = 1;
        gdk_event_set_device(event, gdk_seat_get_pointer(seat));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
}

NavigationWatch::NavigationWatch() {
    gpointer viewClass = g_type_class_ref(WEBKIT_TYPE_WEB_VIEW);  // registers its signals
    decideSignal_ = g_signal_lookup("decide-policy", WEBKIT_TYPE_WEB_VIEW);
    createSignal_ = g_signal_lookup("create", WEBKIT_TYPE_WEB_VIEW);
    decideHook_ = g_signal_add_emission_hook(decideSignal_, 0, onEmission, this, nullptr);
    createHook_ = g_signal_add_emission_hook(createSignal_, 0, onEmission, this, nullptr);
    g_type_class_unref(viewClass);
}

NavigationWatch::~NavigationWatch() {
    g_signal_remove_emission_hook(decideSignal_, decideHook_);
    g_signal_remove_emission_hook(createSignal_, createHook_);
}

bool NavigationWatch::sawTargetContaining(const std::string& part) const {
    return std::any_of(targets_.begin(), targets_.end(), [&](const std::string& target) {
        return target.find(part) != std::string::npos;
    });
}

gboolean NavigationWatch::onEmission(GSignalInvocationHint* hint, guint count, const GValue* values,
                                     gpointer self) {
    auto* watch = static_cast<NavigationWatch*>(self);
    WebKitNavigationAction* action = nullptr;
    if (count > 1 && hint->signal_id == watch->createSignal_) {
        action = static_cast<WebKitNavigationAction*>(g_value_get_boxed(&values[1]));
    } else if (count > 1 && WEBKIT_IS_NAVIGATION_POLICY_DECISION(g_value_get_object(&values[1]))) {
        action = webkit_navigation_policy_decision_get_navigation_action(
            WEBKIT_NAVIGATION_POLICY_DECISION(g_value_get_object(&values[1])));
    }
    if (action) {
        const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
        watch->targets_.push_back(uri ? uri : "");
    }
    return TRUE;  // stay
}

}  // namespace webmovie_test
