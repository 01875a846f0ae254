#include "platform/runtime_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace platform {

namespace {

std::string chosenDirectory() {
    if (const char* own = std::getenv("VEXO_RUNTIME_DIR"); own && *own) return own;
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg)
        return std::string(xdg) + "/vexo";
    return "/tmp/vexo-" + std::to_string(getuid());
}

}  // namespace

std::string runtimeDirectory() {
    const std::string dir = chosenDirectory();
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (!std::filesystem::is_directory(dir, error)) return {};
    // Only this user may take or see the locks.
    ::chmod(dir.c_str(), 0700);
    return dir;
}

}  // namespace platform
