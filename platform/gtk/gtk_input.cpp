#include "platform/gtk/gtk_input.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <set>

#include "platform/gtk/gtk_window.h"
#include "platform/messages.h"

namespace platform {

namespace {

struct ButtonMessages {
    guint button;
    UINT down;
    UINT up;
    UINT doubleClick;
    WPARAM flag;
};

constexpr ButtonMessages kButtons[] = {
    {GDK_BUTTON_PRIMARY, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, MK_LBUTTON},
    {GDK_BUTTON_SECONDARY, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, MK_RBUTTON},
};

struct KeyCode {
    guint keyval;
    WPARAM vk;
};

constexpr KeyCode kKeys[] = {
    {GDK_KEY_BackSpace, VK_BACK}, {GDK_KEY_Tab, VK_TAB},           {GDK_KEY_ISO_Left_Tab, VK_TAB},
    {GDK_KEY_Return, VK_RETURN},  {GDK_KEY_KP_Enter, VK_RETURN},   {GDK_KEY_Shift_L, VK_SHIFT},
    {GDK_KEY_Shift_R, VK_SHIFT},  {GDK_KEY_Control_L, VK_CONTROL}, {GDK_KEY_Control_R, VK_CONTROL},
    {GDK_KEY_Alt_L, VK_MENU},     {GDK_KEY_Alt_R, VK_MENU},        {GDK_KEY_Escape, VK_ESCAPE},
    {GDK_KEY_space, VK_SPACE},    {GDK_KEY_Page_Up, VK_PRIOR},     {GDK_KEY_Page_Down, VK_NEXT},
    {GDK_KEY_End, VK_END},        {GDK_KEY_Home, VK_HOME},         {GDK_KEY_Left, VK_LEFT},
    {GDK_KEY_Up, VK_UP},          {GDK_KEY_Right, VK_RIGHT},       {GDK_KEY_Down, VK_DOWN},
    {GDK_KEY_Insert, VK_INSERT},  {GDK_KEY_Delete, VK_DELETE},
};

const ButtonMessages* messagesFor(guint button) {
    for (const auto& entry : kButtons)
        if (entry.button == button) return &entry;
    return nullptr;
}

WPARAM mouseKeyState(guint state) {
    WPARAM flags = 0;
    if (state & GDK_BUTTON1_MASK) flags |= MK_LBUTTON;
    if (state & GDK_BUTTON2_MASK) flags |= MK_MBUTTON;
    if (state & GDK_BUTTON3_MASK) flags |= MK_RBUTTON;
    if (state & GDK_SHIFT_MASK) flags |= MK_SHIFT;
    if (state & GDK_CONTROL_MASK) flags |= MK_CONTROL;
    return flags;
}

// Client coordinates as signed 16-bit halves, the way GET_X_LPARAM reads them back.
LPARAM pointParam(POINT point) {
    return MAKELPARAM(static_cast<std::uint16_t>(static_cast<std::int16_t>(point.x)),
                      static_cast<std::uint16_t>(static_cast<std::int16_t>(point.y)));
}

// Event coordinates are relative to the GDK window that got the event, which may belong to a
// widget inside the window's own; they are carried up to the top-level, then down to the window.
POINT clientPoint(const GtkNativeWindow& window, GdkWindow* eventWindow, double x, double y) {
    GtkWidget* top = gtk_widget_get_toplevel(window.widget());
    GdkWindow* topWindow = gtk_widget_get_window(top);
    for (GdkWindow* w = eventWindow; w != nullptr && w != topWindow;
         w = gdk_window_get_effective_parent(w))
        gdk_window_coords_to_parent(w, x, y, &x, &y);
    int wx = 0, wy = 0;
    gtk_widget_translate_coordinates(top, window.widget(), static_cast<int>(std::floor(x)),
                                     static_cast<int>(std::floor(y)), &wx, &wy);
    const POINT offset = window.clientOffset();
    return POINT{wx - offset.x, wy - offset.y};
}

// The GTK thread's: the left button's last press, which a move started by it refers to.
guint32 g_leftPressTime = GDK_CURRENT_TIME;
// The window with the mouse capture, and whether the pointer grab for it succeeded.
GtkNativeWindow* g_captured = nullptr;
bool g_grabbed = false;

std::optional<MSG> buttonMessage(const GtkNativeWindow& window, const GdkEventButton& event) {
    // GDK's own double-click events are not used: isDoubleClick decides on the second press.
    if (event.type != GDK_BUTTON_PRESS && event.type != GDK_BUTTON_RELEASE) return std::nullopt;
    const ButtonMessages* messages = messagesFor(event.button);
    if (messages == nullptr) return std::nullopt;
    const bool press = event.type == GDK_BUTTON_PRESS;
    if (press && event.button == GDK_BUTTON_PRIMARY) g_leftPressTime = event.time;
    // The key state after the event, where GDK gives the one before.
    WPARAM state = mouseKeyState(event.state);
    state = press ? (state | messages->flag) : (state & ~messages->flag);
    UINT message = messages->up;
    if (press)
        message = isDoubleClick(window.hwnd(), event) ? messages->doubleClick : messages->down;
    return MSG{window.hwnd(), message, state,
               pointParam(clientPoint(window, event.window, event.x, event.y))};
}

void postButton(const GtkNativeWindow& window, const GdkEventButton& event) {
    if (const auto msg = buttonMessage(window, event))
        postMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

template <gboolean kHandled>
gboolean onButton(GtkWidget*, GdkEventButton* event, gpointer window) {
    postButton(*static_cast<GtkNativeWindow*>(window), *event);
    return kHandled;
}

MSG motionMessage(const GtkNativeWindow& window, const GdkEventMotion& event) {
    return MSG{window.hwnd(), WM_MOUSEMOVE, mouseKeyState(event.state),
               pointParam(clientPoint(window, event.window, event.x, event.y))};
}

void postMotion(const GtkNativeWindow& window, const GdkEventMotion& event) {
    const MSG msg = motionMessage(window, event);
    postMessage(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

// A control's own widget (a web view) takes the mouse itself, so its site looks at each event
// on the way down (capture phase): the message filter sees the control's mouse messages before
// the control does, and what the filter takes never reaches the control.
bool filterOrDispatch(MSG msg) {
    if (preTranslateNow(msg)) return true;
    dispatchMessage(msg);
    return false;
}

void onSiteButton(GtkGesture* gesture, gint, gdouble, gdouble, gpointer data) {
    const auto& window = *static_cast<GtkNativeWindow*>(data);
    GdkEventSequence* sequence = gtk_gesture_get_last_updated_sequence(gesture);
    const GdkEvent* event = gtk_gesture_get_last_event(gesture, sequence);
    if (event == nullptr || g_captured != nullptr) return;
    const auto msg = buttonMessage(window, event->button);
    if (!msg) return;
    if (event->type == GDK_BUTTON_PRESS && event->button.button == GDK_BUTTON_PRIMARY)
        g_leftPressTime = event->button.time;
    // Claiming the press keeps it, and its release, from the control.
    if (filterOrDispatch(*msg) && event->type == GDK_BUTTON_PRESS)
        gtk_gesture_set_sequence_state(gesture, sequence, GTK_EVENT_SEQUENCE_CLAIMED);
}

void onSiteMotion(GtkEventControllerMotion*, gdouble, gdouble, gpointer data) {
    GdkEvent* event = gtk_get_current_event();
    if (event == nullptr) return;
    if (event->type == GDK_MOTION_NOTIFY && g_captured == nullptr)
        filterOrDispatch(motionMessage(*static_cast<GtkNativeWindow*>(data), event->motion));
    gdk_event_free(event);
}

template <gboolean kHandled>
gboolean onMotion(GtkWidget*, GdkEventMotion* event, gpointer window) {
    postMotion(*static_cast<GtkNativeWindow*>(window), *event);
    return kHandled;
}

// The captured window, if it lies in `toplevel`.
GtkNativeWindow* capturedIn(GtkWidget* toplevel) {
    if (g_captured == nullptr || gtk_widget_get_toplevel(g_captured->widget()) != toplevel)
        return nullptr;
    return g_captured;
}

gboolean onCapturedButton(GtkWidget* toplevel, GdkEventButton* event, gpointer) {
    GtkNativeWindow* captured = capturedIn(toplevel);
    if (captured != nullptr) postButton(*captured, *event);
    return captured != nullptr;
}

gboolean onCapturedMotion(GtkWidget* toplevel, GdkEventMotion* event, gpointer) {
    GtkNativeWindow* captured = capturedIn(toplevel);
    if (captured != nullptr) postMotion(*captured, *event);
    return captured != nullptr;
}

// Ends an event's way up to the parent widgets once the widget itself had it.
gboolean stopPropagation(GtkWidget*, GdkEvent*, gpointer) { return TRUE; }

guint unshiftedKeyval(const GdkEventKey& event) {
    guint keyval = event.keyval;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event.window));
    gdk_keymap_translate_keyboard_state(keymap, event.hardware_keycode, GdkModifierType(0),
                                        event.group, &keyval, nullptr, nullptr, nullptr);
    return keyval;
}

// Repeat count 1, the scan code, the previous key state (bit 30) and the transition (bit 31).
LPARAM keyParam(const GdkEventKey& event, bool press) {
    static std::set<guint16> down;  // the GTK thread's
    const bool wasDown = press ? !down.insert(event.hardware_keycode).second : true;
    if (!press) down.erase(event.hardware_keycode);
    // X key codes are the kernel's plus 8; below 89 the kernel's are the PC's scan codes.
    const int kernel = event.hardware_keycode - 8;
    const auto scan = static_cast<std::uintptr_t>(kernel > 0 && kernel < 89 ? kernel : 0);
    std::uintptr_t bits = 1 | (scan << 16);
    if (wasDown) bits |= std::uintptr_t{1} << 30;
    if (!press) bits |= std::uintptr_t{1} << 31;
    return static_cast<LPARAM>(bits);
}

gboolean onKey(GtkWidget* toplevel, GdkEventKey* event, gpointer) {
    const WPARAM vk = virtualKeyFor(unshiftedKeyval(*event));
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(toplevel));
    GtkNativeWindow* target = GtkNativeWindow::enclosing(focus ? focus : toplevel);
    if (vk == 0 || target == nullptr) return FALSE;
    const bool press = event->type == GDK_KEY_PRESS;
    // Handled while the key is still on its way, as on Windows: what a message filter takes
    // (Enter and Escape in a movie window) never reaches the focused widget.
    return filterOrDispatch(
               MSG{target->hwnd(), press ? WM_KEYDOWN : WM_KEYUP, vk, keyParam(*event, press)})
               ? TRUE
               : FALSE;
}

}  // namespace

bool isDoubleClick(const void* target, const GdkEventButton& event) {
    struct Press {
        const void* target = nullptr;
        guint button = 0;
        guint32 time = 0;
        double x = 0, y = 0;
        bool wasDouble = false;
    };
    static Press last;  // the GTK thread's
    gint time = 400, distance = 5;
    g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &time,
                 "gtk-double-click-distance", &distance, nullptr);
    const bool isDouble = !last.wasDouble && last.target == target && last.button == event.button &&
                          event.time - last.time <= static_cast<guint32>(time) &&
                          std::abs(event.x_root - last.x) <= distance &&
                          std::abs(event.y_root - last.y) <= distance;
    last = Press{target, event.button, event.time, event.x_root, event.y_root, isDouble};
    return isDouble;
}

guint32 lastLeftPressTime() { return g_leftPressTime; }

void routeCapturedMouseInput(GtkWidget* toplevel) {
    g_signal_connect(toplevel, "button-press-event", G_CALLBACK(onCapturedButton), nullptr);
    g_signal_connect(toplevel, "button-release-event", G_CALLBACK(onCapturedButton), nullptr);
    g_signal_connect(toplevel, "motion-notify-event", G_CALLBACK(onCapturedMotion), nullptr);
}

void capturePointer(GtkNativeWindow* window) {
    releasePointer(g_captured);
    g_captured = window;
    GtkWidget* top = gtk_widget_get_toplevel(window->widget());
    GdkWindow* native = GTK_IS_WINDOW(top) ? gtk_widget_get_window(top) : nullptr;
    if (native == nullptr || !gdk_window_is_viewable(native)) return;
    // Not owner events: also over the program's other windows the events are reported to
    // the grab window, so they reach the captured window as on Windows.
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(native));
    g_grabbed = gdk_seat_grab(seat, native, GDK_SEAT_CAPABILITY_ALL_POINTING, FALSE, nullptr,
                              nullptr, nullptr, nullptr) == GDK_GRAB_SUCCESS;
}

GtkNativeWindow* capturedWindow() { return g_captured; }

void releasePointer(GtkNativeWindow* window) {
    if (window == nullptr || window != g_captured) return;
    if (g_grabbed) gdk_seat_ungrab(gdk_display_get_default_seat(gdk_display_get_default()));
    g_captured = nullptr;
    g_grabbed = false;
}

void routeMouseInput(GtkWidget* widget, GtkNativeWindow* window, bool consume) {
    gtk_widget_add_events(widget, kMouseEventMask);
    const GCallback button = consume ? G_CALLBACK(onButton<TRUE>) : G_CALLBACK(onButton<FALSE>);
    const GCallback motion = consume ? G_CALLBACK(onMotion<TRUE>) : G_CALLBACK(onMotion<FALSE>);
    g_signal_connect(widget, "button-press-event", button, window);
    g_signal_connect(widget, "button-release-event", button, window);
    g_signal_connect(widget, "motion-notify-event", motion, window);
    if (consume) return;
    // The widget's own handling runs next; what it leaves must not reach the parent window,
    // which would take it for its own.
    for (const char* signal : {"button-press-event", "button-release-event", "motion-notify-event"})
        g_signal_connect_after(widget, signal, G_CALLBACK(stopPropagation), nullptr);
}

void routeControlSiteInput(GtkWidget* site, GtkNativeWindow* window) {
    gtk_widget_add_events(site, kMouseEventMask);
    // The controllers belong to the site widget and go with it.
    GtkGesture* press = gtk_gesture_multi_press_new(site);
    gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(press), 0);
    gtk_event_controller_set_propagation_phase(GTK_EVENT_CONTROLLER(press), GTK_PHASE_CAPTURE);
    g_signal_connect(press, "pressed", G_CALLBACK(onSiteButton), window);
    g_signal_connect(press, "released", G_CALLBACK(onSiteButton), window);
    GtkEventController* motion = gtk_event_controller_motion_new(site);
    gtk_event_controller_set_propagation_phase(motion, GTK_PHASE_CAPTURE);
    g_signal_connect(motion, "motion", G_CALLBACK(onSiteMotion), window);
    g_object_set_data_full(G_OBJECT(site), "vexo-site-press", press, g_object_unref);
    g_object_set_data_full(G_OBJECT(site), "vexo-site-motion", motion, g_object_unref);
    // What the control leaves must not reach the parent window, which would take it for its own.
    for (const char* signal : {"button-press-event", "button-release-event", "motion-notify-event"})
        g_signal_connect(site, signal, G_CALLBACK(stopPropagation), nullptr);
}

void routeKeyInput(GtkWidget* toplevel) {
    g_signal_connect(toplevel, "key-press-event", G_CALLBACK(onKey), nullptr);
    g_signal_connect(toplevel, "key-release-event", G_CALLBACK(onKey), nullptr);
}

WPARAM virtualKeyFor(guint keyval) {
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return 'A' + (keyval - GDK_KEY_a);
    // Upper-case letters and digits have their ASCII codes both as key values and as keys.
    if ((keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) ||
        (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9))
        return keyval;
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12) return VK_F1 + (keyval - GDK_KEY_F1);
    for (const auto& entry : kKeys)
        if (entry.keyval == keyval) return entry.vk;
    return 0;
}

guint keyvalFor(UINT virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') return GDK_KEY_a + (virtualKey - 'A');
    if (virtualKey >= '0' && virtualKey <= '9') return GDK_KEY_0 + (virtualKey - '0');
    if (virtualKey >= VK_F1 && virtualKey <= VK_F12) return GDK_KEY_F1 + (virtualKey - VK_F1);
    // The table lists the main key of each code first (Return before the keypad's Enter).
    for (const auto& entry : kKeys)
        if (entry.vk == virtualKey) return entry.keyval;
    return 0;
}

}  // namespace platform
