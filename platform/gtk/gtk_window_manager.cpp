#include "platform/gtk/gtk_window_manager.h"

#include <X11/Xatom.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {

namespace {

std::vector<Atom> readAtoms(Display* display, ::Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<Atom> atoms;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, XA_ATOM, &type, &format,
                           &count, &after, &data) == Success &&
        type == XA_ATOM && format == 32) {
        // Format 32 comes as an array of long, which Atom is.
        const auto* values = reinterpret_cast<const Atom*>(data);
        atoms.assign(values, values + count);
    }
    if (data != nullptr) XFree(data);
    return atoms;
}

}  // namespace

bool windowManagerRunning() {
    GdkScreen* screen = gdk_screen_get_default();
    return std::strcmp(gdk_x11_screen_get_window_manager_name(screen), "unknown") != 0;
}

bool windowManagerSupports(const char* hint) {
    return gdk_x11_screen_supports_net_wm_hint(gdk_screen_get_default(),
                                               gdk_atom_intern_static_string(hint));
}

void setUnmanagedWmState(GdkWindow* window, const char* state, bool on) {
    GdkDisplay* gdkDisplay = gdk_window_get_display(window);
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    const ::Window xid = GDK_WINDOW_XID(window);
    const Atom property = gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "_NET_WM_STATE");
    const Atom atom = gdk_x11_get_xatom_by_name_for_display(gdkDisplay, state);
    std::vector<Atom> atoms = readAtoms(display, xid, property);
    std::erase(atoms, atom);
    if (on) atoms.push_back(atom);
    XChangeProperty(display, xid, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(atoms.data()),
                    static_cast<int>(atoms.size()));
}

}  // namespace platform
