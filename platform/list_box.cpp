#include "platform/list_box.h"

#include <strings.h>
#include <algorithm>
#include <cstring>

namespace platform {

const char* controlClassName(ControlClass controlClass) {
    switch (controlClass) {
        case ControlClass::ListBox:
            return "ListBox";
        case ControlClass::Static:
            return "Static";
        case ControlClass::Button:
            return "Button";
    }
    return "";
}

LRESULT ListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case LB_INSERTSTRING:
            return insert(wParam, reinterpret_cast<const char*>(lParam));
        case LB_ADDSTRING:
            return add(reinterpret_cast<const char*>(lParam));
        case LB_GETCOUNT:
            return static_cast<LRESULT>(items_.size());
        case LB_GETTEXTLEN:
            return wParam < items_.size() ? static_cast<LRESULT>(items_[wParam].size()) : LB_ERR;
        case LB_GETTEXT:
            return copyText(wParam, reinterpret_cast<char*>(lParam));
        case LB_RESETCONTENT:
            items_.clear();
            return 0;
        default:
            return ChildControl::WindowProc(message, wParam, lParam);
    }
}

LRESULT ListBox::insert(WPARAM index, const char* text) {
    // wParam -1 (all bits set) appends.
    if (index == static_cast<WPARAM>(-1)) index = items_.size();
    if (index > items_.size() || text == nullptr) return LB_ERR;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), text);
    if (auto* native = backendWindow()) native->insertItem(static_cast<int>(index), text);
    return static_cast<LRESULT>(index);
}

LRESULT ListBox::add(const char* text) {
    if (text == nullptr) return LB_ERR;
    std::size_t index = items_.size();
    if (GetStyle() & LBS_SORT) {
        // Sorted lists compare without regard to case, as the list box does.
        auto at = std::upper_bound(items_.begin(), items_.end(), std::string(text),
                                   [](const std::string& a, const std::string& b) {
                                       return strcasecmp(a.c_str(), b.c_str()) < 0;
                                   });
        index = static_cast<std::size_t>(at - items_.begin());
    }
    return insert(index, text);
}

LRESULT ListBox::copyText(WPARAM index, char* buffer) const {
    if (index >= items_.size() || buffer == nullptr) return LB_ERR;
    std::memcpy(buffer, items_[index].c_str(), items_[index].size() + 1);
    return static_cast<LRESULT>(items_[index].size());
}

}  // namespace platform
