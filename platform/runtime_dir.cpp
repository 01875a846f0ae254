#include "platform/runtime_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
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
    // A directory someone else made (in /tmp, say) could hold our locks or our message table:
    // only a real directory of this user's will do.
    struct stat info {};
    if (::lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) {
        std::fprintf(stderr, "vexo: %s is not a directory of this user's; not using it\n",
                     dir.c_str());
        return {};
    }
    // Only this user may take or see the locks.
    ::chmod(dir.c_str(), 0700);
    return dir;
}

}  // namespace platform
