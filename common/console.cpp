#include "common/console.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// Set while any sink is registered: the one test every logging call makes first.
constinit std::atomic<bool> g_enabled{false};

// The registered sinks. Writers take a snapshot and write outside the lock: the console window's
// sink waits for the console's thread, which may itself be logging.
struct Sinks {
    std::mutex mutex;
    std::shared_ptr<const std::vector<ConsoleSink*>> list =
        std::make_shared<const std::vector<ConsoleSink*>>();
};

// Never destroyed: threads may still log while the process exits.
Sinks& sinks() {
    static Sinks* instance = new Sinks;
    return *instance;
}

std::shared_ptr<const std::vector<ConsoleSink*>> currentSinks() {
    std::lock_guard lock(sinks().mutex);
    return sinks().list;
}

void replaceSinks(std::vector<ConsoleSink*> list) {
    g_enabled = !list.empty();
    sinks().list = std::make_shared<const std::vector<ConsoleSink*>>(std::move(list));
}

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

void appendLine(std::string_view line) {
    for (ConsoleSink* sink : *currentSinks()) sink->write(line);
}

}  // namespace

void addConsoleSink(ConsoleSink& sink) {
    std::lock_guard lock(sinks().mutex);
    std::vector<ConsoleSink*> list = *sinks().list;
    list.push_back(&sink);
    replaceSinks(std::move(list));
}

void removeConsoleSink(ConsoleSink& sink) {
    std::lock_guard lock(sinks().mutex);
    std::vector<ConsoleSink*> list = *sinks().list;
    std::erase(list, &sink);
    replaceSinks(std::move(list));
}

bool consoleEnabled() { return g_enabled; }

void consoleLog(const char* text) {
    if (!g_enabled) return;
    appendLine(text);
}

void consoleLog(const std::string& text) {
    if (!g_enabled) return;
    appendLine(text.c_str());
}

void consoleLogf(const char* fmt, std::int32_t value) {
    if (!g_enabled) return;
    // Formats written for a 32-bit long ("%ld") get a long, which is wider here.
    if (takesLong(fmt))
        appendLine(format(fmt, static_cast<long>(value)).c_str());
    else
        appendLine(format(fmt, value).c_str());
}

void consoleLogf(const char* fmt, const char* text) {
    if (!g_enabled) return;
    appendLine(format(fmt, text).c_str());
}

void consoleLogf(const char* fmt, const std::string& text) {
    if (!g_enabled) return;
    appendLine(format(fmt, text.c_str()).c_str());
}

void consoleLogf(const char* fmt, const char* text, std::int32_t value) {
    if (!g_enabled) return;
    appendLine(format(fmt, text, value).c_str());
}

void consoleLogf(const char* fmt, const std::string& text, std::int32_t value) {
    consoleLogf(fmt, text.c_str(), value);
}
