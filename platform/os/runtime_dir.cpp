#include "platform/os/runtime_dir.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>

namespace platform {

namespace {

std::string environmentOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string chosenDirectory() {
    if (std::string own = environmentOrEmpty("VEXO_RUNTIME_DIR"); !own.empty()) return own;
    if (std::string xdg = environmentOrEmpty("XDG_RUNTIME_DIR"); !xdg.empty()) return xdg + "/vexo";
    return "/tmp/vexo-" + std::to_string(getuid());
}

std::string fallbackDirectory() {
    std::string home = environmentOrEmpty("HOME");
    if (home.empty()) {
        const passwd* entry = ::getpwuid(::getuid());
        if (entry == nullptr || entry->pw_dir == nullptr || *entry->pw_dir == '\0') return {};
        home = entry->pw_dir;
    }
    return withoutTrailingSlashes(home) + "/.cache/vexo/run";
}

// Whether `dir` is, or has just been made, a directory of this user's that only this user can
// enter. mkdir gives the mode at creation, so no other user can ever slip a file in; an
// existing directory is examined through a descriptor that did not follow a link.
bool isPrivateDirectory(const std::string& dir) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(dir).parent_path(), ignored);
    ::mkdir(dir.c_str(), 0700);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool usable = ::fstat(fd, &info) == 0 && info.st_uid == ::getuid();
    if (usable && (info.st_mode & 0777) != 0700) usable = ::fchmod(fd, 0700) == 0;
    ::close(fd);
    return usable;
}

// One line per refused directory, however often the programs ask.
void sayOnce(const std::string& refused, const std::string& used) {
    static std::mutex mutex;
    static std::set<std::string> said;
    std::lock_guard lock(mutex);
    if (!said.insert(refused).second) return;
    if (used.empty()) {
        std::fprintf(stderr,
                     "vexo: %s is not a private directory of this user's and no other could be "
                     "made; single instance and activation are off\n",
                     refused.c_str());
    } else {
        std::fprintf(stderr, "vexo: %s is not a private directory of this user's; using %s\n",
                     refused.c_str(), used.c_str());
    }
}

}  // namespace

std::string runtimeDirectory() {
    const std::string dir = withoutTrailingSlashes(chosenDirectory());
    if (isPrivateDirectory(dir)) return dir;
    std::string fallback = fallbackDirectory();
    if (!fallback.empty() && !isPrivateDirectory(fallback)) fallback.clear();
    sayOnce(dir, fallback);
    return fallback;
}

}  // namespace platform
