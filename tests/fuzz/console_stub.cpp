// The debug log console of the fuzz targets: formats every line as the real console does, so
// that a bad argument still shows, and writes nothing.
#include <cstdio>

#include "common/console.h"

namespace {

template <class... T>
void format(const char* fmt, T... values) {
    char line[256];
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(line, sizeof line, fmt, values...);
#pragma clang diagnostic pop
}

}  // namespace

void consoleLog(const std::string& text) { (void)text.size(); }
void consoleLog(const char* text) { (void)std::char_traits<char>::length(text); }
void consoleLogf(const char* fmt, std::int32_t value) { format(fmt, value); }
void consoleLogf(const char* fmt, const char* text) { format(fmt, text); }
void consoleLogf(const char* fmt, const std::string& text) { format(fmt, text.c_str()); }
void consoleLogf(const char* fmt, const std::string& text, std::int32_t value) {
    format(fmt, text.c_str(), value);
}
