// Global hot keys as passive key grabs on the X root window: the X server gives a grabbed
// combination to this program alone, whichever window has the focus, and refuses a
// combination another client holds.
#pragma once

#include <gdk/gdk.h>

#include <vector>

#include "platform/os/win32.h"

namespace platform {

class GtkHotKeys {
  public:
    GtkHotKeys() = default;
    ~GtkHotKeys();
    GtkHotKeys(const GtkHotKeys&) = delete;
    GtkHotKeys& operator=(const GtkHotKeys&) = delete;

    // False when the key has no X key code or another client holds the combination.
    bool add(HWND hwnd, int id, UINT modifiers, UINT virtualKey);
    // Lets go of every combination registered under (hwnd, id).
    void remove(HWND hwnd, int id);

  private:
    struct Grab {
        HWND hwnd;
        int id;
        UINT modifiers;
        UINT virtualKey;
        unsigned keyCode;
        unsigned xModifiers;
    };
    void listenOnce();
    // Posts WM_HOTKEY for a press of a grabbed combination and keeps its events from GDK.
    static GdkFilterReturn filter(void* native, GdkEvent* event, void* self);
    // The grab a key event with this X key code and modifier state belongs to, or nullptr.
    const Grab* find(unsigned keyCode, unsigned state) const;

    std::vector<Grab> grabs_;
    bool listening_ = false;
};

// The X modifier mask of MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN.
unsigned xModifiersFor(UINT modifiers);
// The X key code of a virtual key on the default display, 0 when it has none.
unsigned xKeyCodeFor(UINT virtualKey);

}  // namespace platform
