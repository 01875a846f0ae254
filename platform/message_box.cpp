#include "platform/message_box.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/backend.h"
#include "platform/window.h"

namespace platform {

int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    const Window* window = Window::FromHandle(owner);
    return backend().messageBox(window ? window->backendWindow() : nullptr, text, caption, type);
}

std::string applicationName() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    std::string name = error ? program_invocation_short_name : executable.filename().string();
    // The kernel's mark of an executable replaced on disk while it runs (an update does that).
    if (name.ends_with(" (deleted)")) name.resize(name.size() - 10);
    if (name.ends_with(".exe")) name.resize(name.size() - 4);
    return name;
}

int AfxMessageBox(const std::string& text, UINT type) {
    return messageBox(nullptr, text, applicationName(), type);
}

}  // namespace platform
