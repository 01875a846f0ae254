// Notification-area icons as GtkStatusIcon: an icon in the tray of the desktop's panel (the
// XEmbed system tray), with the tip as its tooltip. Without a panel that hosts a tray the icon
// exists but is not shown; GTK embeds it once a tray appears.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/shell_services.h"

namespace platform {

class GtkTrayIcons {
  public:
    GtkTrayIcons();
    ~GtkTrayIcons();
    GtkTrayIcons(const GtkTrayIcons&) = delete;
    GtkTrayIcons& operator=(const GtkTrayIcons&) = delete;

    // False when the window already has an icon with this ID.
    bool add(const NOTIFYICONDATA& data);
    bool remove(HWND hwnd, UINT id);

    struct State {
        bool exists = false;
        // Whether a tray holds the icon, so that a person sees it.
        bool embedded = false;
        std::string tip;
        // Where a tray shows it, on the screen.
        RECT area{};
    };
    State state(HWND hwnd, UINT id) const;
    // The icons of the running program's backend (GTK thread only).
    static const GtkTrayIcons* current();

  private:
    struct Icon;
    Icon* find(HWND hwnd, UINT id) const;
    std::vector<std::unique_ptr<Icon>> icons_;
};

}  // namespace platform
