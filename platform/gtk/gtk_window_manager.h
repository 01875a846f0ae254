// What the programs need to know about the window manager, and the one thing done in its
// place when there is none.
#pragma once

#include <gtk/gtk.h>

namespace platform {

// Whether a window manager runs that says so (the EWMH check window). GDK looks at most every
// 15 seconds, so a window manager started just after the program may go unnoticed that long.
bool windowManagerRunning();
// Whether the running window manager supports an EWMH hint such as "_NET_WM_MOVERESIZE".
bool windowManagerSupports(const char* hint);

// Sets or clears one state (an atom such as "_NET_WM_STATE_ABOVE") in the _NET_WM_STATE of a
// mapped window when no window manager runs: nobody else keeps the property then, and a window
// manager that starts later reads it from there.
void setUnmanagedWmState(GdkWindow* window, const char* state, bool on);

}  // namespace platform
