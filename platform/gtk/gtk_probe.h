// What a window of the GTK backend shows, read back from its widgets: for tests and for
// looking into a running program. None of these change the window.
#pragma once

#include <string>
#include <vector>

#include "platform/backend.h"

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
// Asks a top-level window to close, as the window manager's close button does.
void requestClose(BackendWindow& window);

}  // namespace platform::gtk_probe
