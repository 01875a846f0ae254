#include "update/file_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "common/console.h"

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

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool copyContent(int from, int to) {
    std::vector<char> buffer(1 << 20);
    while (true) {
        const ssize_t count = ::read(from, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        if (count == 0) return true;
        if (!writeAll(to, buffer.data(), static_cast<std::size_t>(count))) return false;
    }
}

// A new file beside `target` with a name no other file has; -1 when none can be made.
int createBeside(const std::string& target, std::string& temporary) {
    const fs::path path(target);
    temporary = (path.parent_path() / ("." + path.filename().string() + ".new-XXXXXX")).string();
    return mkostemp(temporary.data(), O_CLOEXEC);
}

bool copyToTemporary(const std::string& source, const std::string& target, std::string& temporary) {
    Fd from(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (from.get() < 0 || fstat(from.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    Fd to(createBeside(target, temporary));
    if (to.get() < 0) {
        temporary.clear();
        return false;
    }
    // Synced before the rename, so not even a power cut leaves a target cut short.
    return copyContent(from.get(), to.get()) && fchmod(to.get(), info.st_mode & 07777) == 0 &&
           fsync(to.get()) == 0 && to.close();
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
    std::string temporary;
    bool replaced = copyToTemporary(source, target, temporary);
    if (replaced) replaced = ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!replaced && !temporary.empty()) ::unlink(temporary.c_str());
    return replaced;
}

bool copyDirectory(const std::string& source, const std::string& destination,
                   const std::string& skipName) {
    return copyEntries(source, destination, skipName);
}

bool syncFileSystemOf(const std::string& path) {
    Fd directory(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return directory.get() >= 0 && ::syncfs(directory.get()) == 0;
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
