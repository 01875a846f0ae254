// The resources of one program: dialog templates and menus, looked up by identifier.
#pragma once

#include <span>

#include "platform/dialog_template.h"
#include "platform/menu.h"

namespace platform {

struct ResourceTable {
    std::span<const DialogTemplate> dialogs;
    std::span<const MenuTemplate> menus = {};

    const DialogTemplate* dialog(UINT id) const {
        for (const auto& d : dialogs)
            if (d.id == id) return &d;
        return nullptr;
    }
    const MenuTemplate* menu(UINT id) const {
        for (const auto& m : menus)
            if (m.id == id) return &m;
        return nullptr;
    }
};

}  // namespace platform
