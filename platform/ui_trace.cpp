#include "platform/ui_trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/os/clock.h"

namespace platform {

namespace {

std::string expandPid(std::string path) {
    const auto at = path.find("%p");
    if (at != std::string::npos) path.replace(at, 2, std::to_string(getpid()));
    return path;
}

}  // namespace

UiTrace::UiTrace(std::string path) {
    if (path.empty()) return;
    if (path == "-") {
        fd_ = STDERR_FILENO;
        return;
    }
    path = expandPid(std::move(path));
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) std::fprintf(stderr, "vexo: cannot open the UI trace %s\n", path.c_str());
    ownsFd_ = fd_ >= 0;
}

UiTrace::~UiTrace() {
    if (ownsFd_) ::close(fd_);
}

void UiTrace::write(const std::string& line) const {
    if (fd_ < 0) return;
    const std::string out = std::to_string(millisecondsSinceStart()) + " " + line + "\n";
    // A trace that cannot be written must not disturb the program.
    [[maybe_unused]] auto written = ::write(fd_, out.data(), out.size());
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string rectText(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
           std::to_string(rect.width()) + "x" + std::to_string(rect.height());
}

std::string handleText(HWND hwnd) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%zx", reinterpret_cast<std::uintptr_t>(hwnd));
    return hwnd == nullptr ? "0" : buffer;
}

std::string flagsText(DWORD flags) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08x", flags);
    return buffer;
}

}  // namespace platform
