#include "tests/support/trace_text.h"

#include <charconv>
#include <sstream>

#include "tests/support/file_text.h"

namespace test_support {

namespace {

TraceLine split(const std::string& line) {
    TraceLine result;
    const auto blank = line.find(' ');
    const char* end = line.data() + (blank == std::string::npos ? 0 : blank);
    const auto [at, error] = std::from_chars(line.data(), end, result.ms);
    if (blank == std::string::npos || error != std::errc() || at != end) {
        result.ms = -1;
        result.event = line;
    } else {
        result.event = line.substr(blank + 1);
    }
    return result;
}

}  // namespace

std::vector<TraceLine> traceLines(const std::string& text) {
    std::vector<TraceLine> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(split(line));
    return lines;
}

std::string withoutTimes(const std::string& text) {
    std::string result;
    for (const TraceLine& line : traceLines(text)) result += line.event + "\n";
    return result;
}

std::string readTrace(const std::string& path) { return withoutTimes(readFile(path)); }

}  // namespace test_support
