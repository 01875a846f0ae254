#include "platform/message_box.h"

#include <errno.h>

#include "platform/backend.h"

namespace platform {

int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    return backend().messageBox(owner, text, caption, type);
}

namespace {

std::string applicationName() {
    std::string name = program_invocation_short_name;
    if (name.size() > 4 && name.ends_with(".exe")) name.resize(name.size() - 4);
    return name;
}

}  // namespace

int AfxMessageBox(const std::string& text, UINT type) {
    return messageBox(nullptr, text, applicationName(), type);
}

}  // namespace platform
