#include "platform/registered_message.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "platform/os/runtime_dir.h"

namespace platform {

namespace {

constexpr UINT kFirst = 0xC000;
constexpr UINT kLast = 0xFFFF;

std::mutex g_mutex;
std::set<UINT> g_registered;
std::set<std::string> g_said;

void sayOnce(const std::string& line) {
    std::lock_guard lock(g_mutex);
    if (g_said.insert(line).second) std::fprintf(stderr, "vexo: %s\n", line.c_str());
}

// Up to one byte more than the limit, so that an oversized table shows as one.
std::string readTable(int fd) {
    std::string table;
    char buffer[65536];
    while (table.size() <= kMaxMessageTableSize) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(table.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        table.append(buffer, static_cast<std::size_t>(got));
    }
    return table;
}

bool writeAt(int fd, const std::string& text, off_t offset) {
    return ::pwrite(fd, text.data(), text.size(), offset) == static_cast<ssize_t>(text.size());
}

// The name's number when the table holds it; otherwise the next free number, or 0 when none
// is left. A line cut short by a crash still counts, so numbers already handed out stay valid.
UINT lookUp(const std::string& table, const std::string& text, bool& found) {
    UINT number = kFirst;
    for (std::size_t start = 0; start < table.size(); ++number) {
        if (number > kLast) return 0;
        std::size_t end = table.find('\n', start);
        if (end == std::string::npos) end = table.size();
        if (table.compare(start, end - start, text) == 0) {
            found = true;
            return number;
        }
        start = end + 1;
    }
    return number <= kLast ? number : 0;
}

UINT findOrAdd(int fd, const std::string& path, const std::string& text) {
    const std::string table = readTable(fd);
    bool found = false;
    const UINT number = table.size() > kMaxMessageTableSize ? 0 : lookUp(table, text, found);
    if (found) return number;
    if (number != 0) {
        const bool cutShort = !table.empty() && table.back() != '\n';
        return writeAt(fd, (cutShort ? "\n" : "") + text + "\n", static_cast<off_t>(table.size()))
                   ? number
                   : 0;
    }
    sayOnce("the message table " + path + " is full; starting it afresh");
    return ::ftruncate(fd, 0) == 0 && writeAt(fd, text + "\n", 0) ? kFirst : 0;
}

UINT registerInTable(const std::string& path, const std::string& text) {
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        sayOnce("cannot open the message table " + path);
        return 0;
    }
    struct stat info {};
    UINT number = 0;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        sayOnce("the message table " + path + " is not a regular file; not using it");
    } else if (::flock(fd, LOCK_EX) == 0) {
        number = findOrAdd(fd, path, text);
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
    return number;
}

}  // namespace

UINT registerWindowMessage(const std::string& text) {
    if (text.empty() || text.size() > kMaxMessageNameLength ||
        text.find_first_of("\r\n") != std::string::npos) {
        return 0;
    }
    const std::string dir = runtimeDirectory();
    if (dir.empty()) return 0;
    const UINT number = registerInTable(dir + "/messages", text);
    if (number != 0) {
        std::lock_guard lock(g_mutex);
        g_registered.insert(number);
    }
    return number;
}

bool isRegisteredMessage(UINT message) {
    std::lock_guard lock(g_mutex);
    return g_registered.contains(message);
}

}  // namespace platform
