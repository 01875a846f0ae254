// What a person does with the mouse and keyboard, turned into the Win32 input messages the
// window concerned would get, posted to its thread's queue.
#pragma once

#include <gtk/gtk.h>

#include "platform/win32.h"

namespace platform {

class GtkNativeWindow;

constexpr auto kMouseEventMask = static_cast<GdkEventMask>(
    GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);

// Posts button presses, releases, double clicks and moves over `widget` to `window`, in the
// window's client coordinates. With `consume` the widget does nothing else with them; without,
// they go on to the widget's own handling (a list view selecting a line).
void routeMouseInput(GtkWidget* widget, GtkNativeWindow* window, bool consume);

// Posts key presses and releases in a top-level GtkWindow as WM_KEYDOWN and WM_KEYUP to the
// window that has the focus inside it (the top-level window when no other has). The keys then
// go on to GTK's own handling.
void routeKeyInput(GtkWidget* toplevel);

// The virtual-key code of a key, given its GDK key value without modifiers; 0 for a key that
// has none here.
WPARAM virtualKeyFor(guint keyval);

}  // namespace platform
