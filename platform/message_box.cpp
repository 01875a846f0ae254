#include "platform/message_box.h"

#include "platform/backend.h"

namespace platform {

int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    return backend().messageBox(owner, text, caption, type);
}

}  // namespace platform
