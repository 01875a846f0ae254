// Per-class tables of message handlers and control-event handlers, the way dialog classes
// declare them: each table names the table of its base class, and lookups walk the chain from
// the most derived class outward.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "controls/control_abi.h"
#include "platform/os/win32.h"

namespace platform {

class Window;

using EventArgs = std::vector<control_abi::Variant>;

struct MessageMapEntry {
    UINT message;
    LRESULT (*handler)(Window& window, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMap* base;
    std::span<const MessageMapEntry> entries;
};

// An event of a hosted control, identified by the control's ID and the event's DISPID.
struct EventSinkEntry {
    UINT controlId;
    DISPID dispid;
    void (*handler)(Window& window, const EventArgs& args);
};

struct EventSinkMap {
    const EventSinkMap* base;
    std::span<const EventSinkEntry> entries;
};

// Adapts a member handler `LRESULT T::f(WPARAM, LPARAM)` to a table entry.
template <class T, LRESULT (T::*F)(WPARAM, LPARAM)>
LRESULT onMessage(Window& window, WPARAM wParam, LPARAM lParam) {
    return (static_cast<T&>(window).*F)(wParam, lParam);
}

// The string parameter `index` of an event; a missing or non-string parameter reads as empty.
std::string eventString(const EventArgs& args, std::size_t index);

// Adapts a member handler `void T::f(const std::string&, const std::string&)` to an event with
// two string parameters.
template <class T, void (T::*F)(const std::string&, const std::string&)>
void onStringEvent(Window& window, const EventArgs& args) {
    (static_cast<T&>(window).*F)(eventString(args, 0), eventString(args, 1));
}

}  // namespace platform
