// What a person does with the mouse and keyboard, turned into the Win32 input messages the
// window concerned would get, posted to its thread's queue.
#pragma once

#include <gtk/gtk.h>

#include "platform/os/win32.h"

namespace platform {

class GtkNativeWindow;

constexpr auto kMouseEventMask = static_cast<GdkEventMask>(
    GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);

// Posts button presses, releases, double clicks and moves over `widget` to `window`, in the
// window's client coordinates. With `consume` the widget does nothing else with them; without,
// they go on to the widget's own handling (a list view selecting a line).
void routeMouseInput(GtkWidget* widget, GtkNativeWindow* window, bool consume);

// For the site of a control whose widget handles the mouse itself: each button and move is
// first offered to the message filter of the site's windows (synchronously); what the filter
// leaves is dispatched to the site's window and goes on to the control's widget.
void routeControlSiteInput(GtkWidget* site, GtkNativeWindow* window);

// Posts key presses and releases in a top-level GtkWindow as WM_KEYDOWN and WM_KEYUP to the
// window that has the focus inside it (the top-level window when no other has). The keys then
// go on to GTK's own handling.
void routeKeyInput(GtkWidget* toplevel);

// The virtual-key code of a key, given its GDK key value without modifiers; 0 for a key that
// has none here.
WPARAM virtualKeyFor(guint keyval);
// The key value (an X keysym) of a virtual key; 0 for a key that has none here.
guint keyvalFor(UINT virtualKey);

// The window system's rule: a second press of the same button on the same target, soon and
// near enough, is a double click; a third press starts over.
bool isDoubleClick(const void* target, const GdkEventButton& event);
// The server time of the last press of the left button anywhere in the program's windows.
guint32 lastLeftPressTime();

// While a window has the mouse capture its top-level X window holds the pointer grab, so every
// button and move is reported to that GtkWindow; this hands them to the captured window.
void routeCapturedMouseInput(GtkWidget* toplevel);
// Grabs the pointer for `window` (SetCapture); a window that is not on screen gets the
// messages of its own top-level window only.
void capturePointer(GtkNativeWindow* window);
// Lets the pointer go if `window` has the capture.
void releasePointer(GtkNativeWindow* window);
// The window with the capture, nullptr for none.
GtkNativeWindow* capturedWindow();

}  // namespace platform
