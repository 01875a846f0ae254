#include "platform/menu.h"

#include "platform/backend.h"
#include "platform/window.h"

namespace platform {

bool Menu::LoadMenu(const MenuTemplate& resource) {
    items_.clear();
    append(resource.items);
    return true;
}

void Menu::append(std::span<const MenuItemTemplate> items) {
    for (const auto& item : items) {
        MenuItem entry{item.id, std::string(item.text), item.flags, nullptr};
        if (item.flags & MF_POPUP) {
            entry.popup = std::make_unique<Menu>();
            entry.popup->append(item.popup);
        }
        items_.push_back(std::move(entry));
    }
}

Menu* Menu::GetSubMenu(int position) const {
    if (position < 0 || position >= GetMenuItemCount()) return nullptr;
    return items_[static_cast<std::size_t>(position)].popup.get();
}

UINT Menu::GetMenuItemID(int position) const {
    if (position < 0 || position >= GetMenuItemCount()) return static_cast<UINT>(-1);
    const auto& item = items_[static_cast<std::size_t>(position)];
    return item.popup ? static_cast<UINT>(-1) : item.id;
}

UINT Menu::TrackPopupMenu(UINT flags, int x, int y, Window* owner) const {
    const UINT chosen =
        backend().trackPopupMenu(*this, POINT{x, y}, owner ? owner->backendWindow() : nullptr);
    if (flags & TPM_RETURNCMD) return chosen;
    if (chosen != 0 && owner) owner->PostMessage(WM_COMMAND, chosen, 0);
    return chosen != 0 ? 1 : 0;
}

}  // namespace platform
