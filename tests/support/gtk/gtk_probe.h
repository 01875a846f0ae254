// What a window of the GTK backend shows, read back from its widgets, and what a person or a
// control would do to it: for the tests of the backend and of the programs on it.
#pragma once

#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/gtk/gtk_tray.h"

namespace platform::gtk_probe {

// The X window of a top-level window, 0 before it was first shown.
unsigned long xWindow(BackendWindow& window);
// The lines a list box shows, top to bottom.
std::vector<std::string> listBoxLines(BackendWindow& window);
// How many characters of `text` the list box's font cannot draw (they would show as boxes).
int missingGlyphs(BackendWindow& window, const std::string& text);
// Whether the window's widget is on screen now (mapped, with every parent).
bool isOnScreen(BackendWindow& window);
// The widget a child window's widget is placed in, nullptr when it has none.
void* nativeParent(BackendWindow& window);
// Puts a plain widget into a control site's container, as a control puts its view there.
void addFiller(BackendWindow& site);
// The rectangle GTK gave the only child of a control site, relative to the site.
RECT fillerAllocation(BackendWindow& site);
// Asks a top-level window to close, as the window manager's close button does.
void requestClose(BackendWindow& window);

// The rectangles of a top-level window's bounding shape as the X server has them, relative to
// its X window; one rectangle, the whole window, when it has no shape.
std::vector<RECT> xShape(BackendWindow& window);

// The popup menu being tracked now: its window and its items, on the screen. Empty when no
// menu is open.
struct PopupMenuView {
    RECT window{};
    std::vector<RECT> items;
};
PopupMenuView popupMenu();

// The name of the cursor the X server shows now (the theme's name, such as "ew-resize"); empty
// for a cursor without one.
std::string shownCursor();

// A notification-area icon of the running backend.
GtkTrayIcons::State trayIcon(HWND hwnd, UINT id);

// Another X client, with a connection of its own, grabbing a key combination on the root
// window as another program holding the hot key does. Let go when destroyed.
class ForeignKeyGrab {
  public:
    ForeignKeyGrab(UINT modifiers, UINT virtualKey);
    ~ForeignKeyGrab();
    ForeignKeyGrab(const ForeignKeyGrab&) = delete;
    ForeignKeyGrab& operator=(const ForeignKeyGrab&) = delete;
    // Whether the X server granted the grab.
    bool held() const { return held_; }

  private:
    void* connection_ = nullptr;
    bool held_ = false;
};

}  // namespace platform::gtk_probe
