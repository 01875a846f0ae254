#include "platform/registered_message.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "platform/runtime_dir.h"

namespace platform {

namespace {

constexpr UINT kFirst = 0xC000;
constexpr UINT kLast = 0xFFFF;

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

// The table is one name per line; a name's number is kFirst plus its line index.
UINT findOrAppend(int fd, const std::string& text) {
    const std::string table = readAll(fd);
    UINT number = kFirst;
    std::size_t start = 0;
    for (std::size_t end; (end = table.find('\n', start)) != std::string::npos; start = end + 1) {
        if (table.compare(start, end - start, text) == 0) return number;
        if (number++ == kLast) return 0;
    }
    // A line cut short by a crash still counts, so numbers already handed out stay valid.
    const bool cutShort = start < table.size();
    if (cutShort && number++ == kLast) return 0;
    const std::string line = (cutShort ? "\n" : "") + text + "\n";
    ::lseek(fd, 0, SEEK_END);
    return ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) ? number : 0;
}

}  // namespace

UINT registerWindowMessage(const std::string& text) {
    if (text.empty() || text.find('\n') != std::string::npos) return 0;
    const std::string dir = runtimeDirectory();
    if (dir.empty()) return 0;
    const std::string path = dir + "/messages";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return 0;
    ::flock(fd, LOCK_EX);
    const UINT number = findOrAppend(fd, text);
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return number;
}

}  // namespace platform
