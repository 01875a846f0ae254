#include "controls/scriptmovie/trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace controls::scriptmovie {

std::string escapeTraceText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string traceField(const platform::control_abi::Variant& value) {
    if (auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
    if (auto* flag = std::get_if<bool>(&value)) return *flag ? "true" : "false";
    if (auto* text = std::get_if<std::string>(&value)) return escapeTraceText(*text);
    return "<empty>";
}

std::string formatTraceLine(int instance, std::string_view member,
                            const std::vector<std::string>& fields) {
    std::string line = std::to_string(instance) + " " + std::string(member);
    for (const auto& field : fields) line += " " + field;
    return line + "\n";
}

void writeTrace(int instance, std::string_view member, const std::vector<std::string>& fields) {
    const char* path = std::getenv("VEXO_SCRIPTMOVIE_TRACE");
    if (path == nullptr || *path == '\0') return;
    int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::string line = formatTraceLine(instance, member, fields);
    ssize_t written = ::write(fd, line.data(), line.size());
    (void)written;  // a trace that cannot be written must not disturb the movie
    ::close(fd);
}

}  // namespace controls::scriptmovie
