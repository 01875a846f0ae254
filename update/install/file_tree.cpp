#include "update/install/file_tree.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "common/console.h"
#include "platform/os/file_replace.h"

namespace fs = std::filesystem;

namespace update {

namespace {

struct Entry {
    std::string name;
    fs::file_type type;
};

// The entries of `directory` in name order; empty when it cannot be read.
std::vector<Entry> entriesOf(const std::string& directory) {
    std::vector<Entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        entries.push_back({it->path().filename().string(), it->symlink_status(error).type()});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

// Within one file system the file itself is renamed into place: the copy would only be
// deleted afterwards, and the rename is as atomic as the copy's own.
bool installFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    return errno == EXDEV && replaceFile(from, to);
}

bool copyEntries(const std::string& source, const std::string& destination,
                 const std::string& skipName) {
    std::error_code ignored;
    fs::create_directory(destination, ignored);
    for (const Entry& entry : entriesOf(source)) {
        if (!skipName.empty() && entry.name == skipName) continue;
        const std::string from = source + "/" + entry.name;
        const std::string to = destination + "/" + entry.name;
        if (entry.type == fs::file_type::directory) {
            if (!copyEntries(from, to, "")) return false;
        } else if (entry.type == fs::file_type::regular) {
            if (!installFile(from, to)) {
                consoleLogf("copyDirectory:cannot replace %s", to);
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool replaceFile(const std::string& source, const std::string& target) {
    return platform::replaceFileWithCopy(source, target);
}

bool copyDirectory(const std::string& source, const std::string& destination,
                   const std::string& skipName) {
    return copyEntries(source, destination, skipName);
}

bool syncFileSystemOf(const std::string& path) {
    const int directory = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0) return false;
    const bool synced = ::syncfs(directory) == 0;
    ::close(directory);
    return synced;
}

void startWritingOut(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    ::close(fd);
}

bool deleteFiles(const std::string& directory, const std::string& skipName) {
    for (const Entry& entry : entriesOf(directory)) {
        if (!skipName.empty() && entry.name == skipName) continue;
        const std::string path = directory + "/" + entry.name;
        if (entry.type == fs::file_type::directory) {
            if (!deleteFiles(path, "")) return false;
        } else if (entry.type == fs::file_type::regular) {
            if (::unlink(path.c_str()) != 0) {
                consoleLogf("deleteFiles:cannot delete %s", path);
                return false;
            }
        }
    }
    return true;
}

}  // namespace update
