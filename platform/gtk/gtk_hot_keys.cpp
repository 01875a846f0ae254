#include "platform/gtk/gtk_hot_keys.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>

#include <algorithm>

#include "platform/gtk/gtk_input.h"
#include "platform/messages.h"

namespace platform {

namespace {

Display* xDisplay() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

::Window xRoot() { return DefaultRootWindow(xDisplay()); }

// The modifier that Num Lock sets, which the server counts in a grab like any other.
unsigned numLockMask() {
    Display* display = xDisplay();
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(display);
    unsigned mask = 0;
    for (int modifier = 0; modifier < 8 && numLock != 0; ++modifier)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[modifier * map->max_keypermod + k] == numLock)
                mask = 1u << modifier;
    XFreeModifiermap(map);
    return mask;
}

// A hot key works whether Caps Lock and Num Lock are on or not: one grab for each.
std::vector<unsigned> lockVariants(unsigned modifiers) {
    const unsigned numLock = numLockMask();
    return {modifiers, modifiers | LockMask, modifiers | numLock, modifiers | LockMask | numLock};
}

// Grabs or lets go of every variant; false when the server refused one (BadAccess: another
// client holds it).
bool changeGrabs(unsigned keyCode, unsigned modifiers, bool grab) {
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    for (unsigned mask : lockVariants(modifiers)) {
        if (grab)
            XGrabKey(xDisplay(), static_cast<int>(keyCode), mask, xRoot(), False, GrabModeAsync,
                     GrabModeAsync);
        else
            XUngrabKey(xDisplay(), static_cast<int>(keyCode), mask, xRoot());
    }
    return gdk_x11_display_error_trap_pop(display) == 0;
}

}  // namespace

unsigned xModifiersFor(UINT modifiers) {
    unsigned mask = 0;
    if (modifiers & MOD_ALT) mask |= Mod1Mask;
    if (modifiers & MOD_CONTROL) mask |= ControlMask;
    if (modifiers & MOD_SHIFT) mask |= ShiftMask;
    if (modifiers & MOD_WIN) mask |= Mod4Mask;
    return mask;
}

unsigned xKeyCodeFor(UINT virtualKey) {
    const guint keysym = keyvalFor(virtualKey);
    return keysym == 0 ? 0 : XKeysymToKeycode(xDisplay(), keysym);
}

GtkHotKeys::~GtkHotKeys() {
    for (const Grab& grab : grabs_) changeGrabs(grab.keyCode, grab.xModifiers, false);
    if (listening_) gdk_window_remove_filter(gdk_get_default_root_window(), &filter, this);
}

bool GtkHotKeys::add(HWND hwnd, int id, UINT modifiers, UINT virtualKey) {
    const unsigned keyCode = xKeyCodeFor(virtualKey);
    if (keyCode == 0) return false;
    const unsigned mask = xModifiersFor(modifiers);
    if (!changeGrabs(keyCode, mask, true)) {
        // Whatever part was granted goes back; the other client keeps its own grabs.
        changeGrabs(keyCode, mask, false);
        return false;
    }
    listenOnce();
    grabs_.push_back(Grab{hwnd, id, modifiers, virtualKey, keyCode, mask});
    return true;
}

void GtkHotKeys::remove(HWND hwnd, int id) {
    std::erase_if(grabs_, [&](const Grab& g) {
        if (g.hwnd != hwnd || g.id != id) return false;
        changeGrabs(g.keyCode, g.xModifiers, false);
        return true;
    });
}

void GtkHotKeys::listenOnce() {
    if (listening_) return;
    listening_ = true;
    // Grabbed keys are reported on the root window, which GDK makes no events of.
    gdk_window_add_filter(gdk_get_default_root_window(), &GtkHotKeys::filter, this);
}

GdkFilterReturn GtkHotKeys::filter(void* native, GdkEvent*, void* self) {
    const auto* event = static_cast<const XEvent*>(native);
    if (event->type != KeyPress && event->type != KeyRelease) return GDK_FILTER_CONTINUE;
    const auto& hotKeys = *static_cast<const GtkHotKeys*>(self);
    const Grab* grab = hotKeys.find(event->xkey.keycode, event->xkey.state);
    if (grab == nullptr) return GDK_FILTER_CONTINUE;
    if (event->type == KeyPress)
        postMessage(grab->hwnd, WM_HOTKEY, static_cast<WPARAM>(grab->id),
                    MAKELPARAM(static_cast<std::uint16_t>(grab->modifiers),
                               static_cast<std::uint16_t>(grab->virtualKey)));
    return GDK_FILTER_REMOVE;
}

const GtkHotKeys::Grab* GtkHotKeys::find(unsigned keyCode, unsigned state) const {
    const unsigned held = state & ~(LockMask | numLockMask());
    for (const Grab& grab : grabs_)
        if (grab.keyCode == keyCode && grab.xModifiers == held) return &grab;
    return nullptr;
}

}  // namespace platform
