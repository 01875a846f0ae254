#include "update/config/properties.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace update {

namespace {

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

std::string_view trimSpaces(std::string_view text, bool leading) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    while (leading && !text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

// The size of a regular file, or -1 for anything that cannot be read as one.
long long regularFileSize(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<long long>(info.st_size);
}

// Up to `size` bytes; fewer when the file shrank meanwhile. -1 on a read error.
long long readUpTo(int fd, char* bytes, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(got);
}

}  // namespace

bool Properties::load(const std::string& path) {
    // Opened without waiting, so a pipe or device in the file's place is refused, not waited on.
    const FdCloser file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0) return false;
    const long long size = regularFileSize(file.fd);
    if (size < 0) return false;
    std::unique_ptr<char[]> bytes(new (std::nothrow) char[static_cast<std::size_t>(size) + 1]);
    if (!bytes) return false;
    const long long got = readUpTo(file.fd, bytes.get(), static_cast<std::size_t>(size));
    if (got < 0) return false;
    table_.clear();  // its views point into the buffer being replaced
    buffer_ = std::move(bytes);
    parse(static_cast<std::size_t>(got));
    return true;
}

void Properties::loadText(std::string_view content) {
    table_.clear();
    buffer_ = std::make_unique<char[]>(content.size() + 1);
    if (!content.empty()) std::memcpy(buffer_.get(), content.data(), content.size());
    parse(content.size());
}

std::optional<std::string_view> Properties::get(std::string_view key) const {
    const auto found = table_.find(key);
    if (found == table_.end()) return std::nullopt;
    return found->second;
}

// One pass over the buffer. Leading spaces move the line's start; a "#" before anything else
// makes the line a comment. A pair of CR/LF bytes in any order, or two alike, is one line end.
void Properties::parse(std::size_t size) {
    char* const bytes = buffer_.get();
    bytes[size] = '\n';  // ends a last line that has no line break
    std::size_t lineStart = 0;
    bool atLineStart = true;
    bool comment = false;
    for (std::size_t i = 0; i <= size; ++i) {
        const char c = bytes[i];
        if (isLineBreak(c)) {
            const std::size_t lineEnd = i;
            if (i < size && isLineBreak(bytes[i + 1])) ++i;
            if (!atLineStart && !comment) storeLine(lineStart, lineEnd);
            lineStart = i + 1;
            atLineStart = true;
            comment = false;
        } else if (atLineStart) {
            if (c == ' ') {
                ++lineStart;
            } else {
                comment = c == '#';
                atLineStart = false;
            }
        }
    }
}

void Properties::storeLine(std::size_t start, std::size_t end) {
    const std::string_view line(buffer_.get() + start, end - start);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view key = trimSpaces(line.substr(0, equals), false);
    table_.insert_or_assign(key, trimSpaces(line.substr(equals + 1), true));
}

}  // namespace update
