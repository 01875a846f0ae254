#include "common/console.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/console_ids.h"
#include "platform/messages.h"

bool g_bConsoleEnabled = false;
platform::Dialog g_consoleDlg;

namespace {

// Found once: the list box lives as long as the console.
platform::HWND g_consoleList = nullptr;

template <class... T>
std::string format(const char* fmt, T... values) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    const int size = std::snprintf(nullptr, 0, fmt, values...);
    if (size <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
    std::snprintf(buffer.data(), buffer.size(), fmt, values...);
#pragma GCC diagnostic pop
    return std::string(buffer.data(), static_cast<std::size_t>(size));
}

// Whether the first conversion of a printf format has the `l` length modifier.
bool takesLong(const char* fmt) {
    for (const char* at = std::strchr(fmt, '%'); at != nullptr; at = std::strchr(at + 2, '%')) {
        if (at[1] == '%') continue;
        const char* spec = at + 1 + std::strspn(at + 1, "-+ #0123456789.");
        return *spec == 'l';
    }
    return false;
}

void appendLine(const char* text) {
    using namespace platform;
    // One message inserts at the end (index -1): asking for the count first would let two
    // threads insert at the same index and swap their lines.
    sendMessage(g_consoleList, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                reinterpret_cast<LPARAM>(text));
    // One write per line, so lines of two threads never interleave. Standard output is often
    // not connected in a windowed program; errors are ignored.
    const std::string line = std::string(text) + "\n";
    flockfile(stdout);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    funlockfile(stdout);
}

}  // namespace

bool openConsole(const platform::ResourceTable& resources) {
    if (g_bConsoleEnabled) return true;
    const auto* resource = resources.dialog(console::IDD_CONSOLE);
    if (resource == nullptr || !g_consoleDlg.Create(*resource, nullptr)) return false;
    platform::Window* list = g_consoleDlg.GetDlgItem(console::IDC_CONSOLE_LIST);
    g_consoleList = list ? list->GetSafeHwnd() : nullptr;
    g_consoleDlg.ShowWindow(platform::SW_SHOW);
    // A closed pipe on standard output must not end the program in the middle of a log line.
    std::signal(SIGPIPE, SIG_IGN);
    g_bConsoleEnabled = true;
    return true;
}

void consoleLog(const char* text) {
    if (!g_bConsoleEnabled) return;
    appendLine(text);
}

void consoleLog(const std::string& text) {
    if (!g_bConsoleEnabled) return;
    appendLine(text.c_str());
}

void consoleLogf(const char* fmt, std::int32_t value) {
    if (!g_bConsoleEnabled) return;
    // Formats written for a 32-bit long ("%ld") get a long, which is wider here.
    if (takesLong(fmt))
        appendLine(format(fmt, static_cast<long>(value)).c_str());
    else
        appendLine(format(fmt, value).c_str());
}

void consoleLogf(const char* fmt, const char* text) {
    if (!g_bConsoleEnabled) return;
    appendLine(format(fmt, text).c_str());
}

void consoleLogf(const char* fmt, const std::string& text) {
    if (!g_bConsoleEnabled) return;
    appendLine(format(fmt, text.c_str()).c_str());
}

void consoleLogf(const char* fmt, const char* text, std::int32_t value) {
    if (!g_bConsoleEnabled) return;
    appendLine(format(fmt, text, value).c_str());
}

void consoleLogf(const char* fmt, const std::string& text, std::int32_t value) {
    consoleLogf(fmt, text.c_str(), value);
}
