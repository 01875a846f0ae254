#include "update/properties.h"

#include <sys/stat.h>

#include <cstdio>
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

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The size of a regular file, or -1 for anything that cannot be read as one.
long long regularFileSize(std::FILE* file) {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<long long>(info.st_size);
}

}  // namespace

bool Properties::load(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    const long long size = regularFileSize(file.get());
    if (size < 0) return false;
    std::unique_ptr<char[]> bytes(new (std::nothrow) char[static_cast<std::size_t>(size) + 1]);
    if (!bytes) return false;
    // A file that shrank meanwhile gives what was there; a read error gives nothing.
    const std::size_t got = std::fread(bytes.get(), 1, static_cast<std::size_t>(size), file.get());
    if (std::ferror(file.get())) return false;
    table_.clear();  // its views point into the buffer being replaced
    buffer_ = std::move(bytes);
    parse(got);
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
