// The resources of one program: dialog templates and menus, looked up by identifier.
#pragma once

#include <span>
#include <string_view>

#include "platform/dialog_template.h"
#include "platform/menu.h"

namespace platform {

// An entry of a program's string table.
struct StringResource {
    UINT id;
    std::string_view text;
};

struct ResourceTable {
    std::span<const DialogTemplate> dialogs;
    std::span<const MenuTemplate> menus = {};
    std::span<const StringResource> strings = {};

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
    // LoadString: the text, or empty when the table has none under `id`.
    std::string_view string(UINT id) const {
        for (const auto& entry : strings)
            if (entry.id == id) return entry.text;
        return {};
    }
};

}  // namespace platform
