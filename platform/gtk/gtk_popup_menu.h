// Popup menus as GtkMenu: shown at a screen point, tracked in a nested loop of the calling
// thread's message queue (its messages and timers keep running) until the menu closes.
#pragma once

#include <gtk/gtk.h>

#include "platform/menu.h"

namespace platform {

// The chosen command ID, 0 when the menu was dismissed or could not be shown.
UINT runPopupMenu(const Menu& menu, POINT at);
// The menu being tracked now, nullptr when none is.
GtkWidget* openPopupMenu();

}  // namespace platform
