// Menus loaded from resource tables, and popup menus tracked at a point (CMenu's meaning: the
// chosen command arrives at the owner window as WM_COMMAND).
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/win32.h"

namespace platform {

class Window;

constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RETURNCMD = 0x0100;

struct MenuItemTemplate {
    UINT id;  // 0 for separators and popups
    std::string_view text;
    UINT flags;
    std::span<const MenuItemTemplate> popup = {};
};

struct MenuTemplate {
    UINT id;
    std::span<const MenuItemTemplate> items;
};

struct MenuItem {
    UINT id = 0;
    std::string text;
    UINT flags = 0;
    std::unique_ptr<class Menu> popup;
};

class Menu {
  public:
    bool LoadMenu(const MenuTemplate& resource);
    // The popup at `position`, or nullptr.
    Menu* GetSubMenu(int position) const;
    int GetMenuItemCount() const { return static_cast<int>(items_.size()); }
    UINT GetMenuItemID(int position) const;
    const std::vector<MenuItem>& items() const { return items_; }

    // Shows the menu at the screen point and waits for the user. The choice is posted to the
    // owner as WM_COMMAND, or returned with TPM_RETURNCMD. Returns false when dismissed.
    UINT TrackPopupMenu(UINT flags, int x, int y, Window* owner) const;

  private:
    void append(std::span<const MenuItemTemplate> items);
    std::vector<MenuItem> items_;
};

}  // namespace platform
