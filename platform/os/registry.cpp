#include "platform/os/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/os/file_replace.h"

namespace platform {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kDwordPrefix = "dword:";
constexpr std::array<std::string_view, 5> kRoots = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                    "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                                    "HKEY_CURRENT_CONFIG"};

// Windows folds only ASCII letters; UTF-8 bytes compare as they are.
int sortRank(char c) {
    if (c == '\\') return 0;  // first, so a key's subkeys directly follow it
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 'A' && byte <= 'Z') byte = byte - 'A' + 'a';
    return byte + 1;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return sortRank(x) == sortRank(y); });
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

bool isKeyOrSubkey(std::string_view key, std::string_view path) {
    return startsWithNoCase(key, path) && (key.size() == path.size() || key[path.size()] == '\\');
}

std::string_view trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view withoutTrailingBackslashes(std::string_view path) {
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    return path;
}

std::vector<std::string_view> splitKeyPath(std::string_view path) {
    std::vector<std::string_view> parts;
    for (;;) {
        size_t cut = path.find('\\');
        parts.push_back(path.substr(0, cut));
        if (cut == std::string_view::npos) return parts;
        path.remove_prefix(cut + 1);
    }
}

std::optional<std::string_view> canonicalRoot(std::string_view name) {
    for (std::string_view root : kRoots) {
        if (equalsNoCase(name, root)) return root;
    }
    return std::nullopt;
}

// Why `path` (trailing backslashes removed) cannot name a key; empty when it can.
std::string keyPathFault(std::string_view path) {
    auto parts = splitKeyPath(path);
    if (!canonicalRoot(parts.front())) {
        return "unknown root key '" + std::string(parts.front()) + "'";
    }
    if (std::ranges::any_of(parts, [](std::string_view part) { return part.empty(); })) {
        return "empty key name in '" + std::string(path) + "'";
    }
    if (path.find_first_of("\r\n") != std::string_view::npos) return "line break in key name";
    return {};
}

// ---- Writing ----

// Line breaks are escaped too, or a value holding one could not be read back.
std::string quotedText(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out + '"';
}

std::string valueLine(const std::string& name, const RegistryValue& value) {
    std::string line = name.empty() ? "@=" : quotedText(name) + "=";
    if (const auto* text = std::get_if<std::string>(&value)) return line + quotedText(*text) + "\n";
    std::array<char, 16> digits{};
    std::snprintf(digits.data(), digits.size(), "%08x", std::get<std::uint32_t>(value));
    return line + std::string(kDwordPrefix) + digits.data() + "\n";
}

// ---- Parsing ----

struct ParseFault {
    std::string what;
};

char unescaped(char c) {
    switch (c) {
        case '\\':
        case '"':
            return c;
        case 'n':
            return '\n';
        case 'r':
            return '\r';
    }
    throw ParseFault{std::string("bad escape '\\") + c + "'"};
}

// Reads the quoted string at the front of `s` and removes it from `s`.
std::string takeQuoted(std::string_view& s) {
    std::string out;
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (s[i] != '\\') {
            out += s[i];
        } else if (++i < s.size()) {
            out += unescaped(s[i]);
        }
    }
    throw ParseFault{"unterminated string"};
}

// "@" is the default value, whose name is empty.
std::string takeValueName(std::string_view& s) {
    if (s.front() != '@') return takeQuoted(s);
    s.remove_prefix(1);
    return {};
}

std::uint32_t dwordValue(std::string_view digits) {
    std::uint32_t n = 0;
    const char* end = digits.data() + digits.size();
    auto result = std::from_chars(digits.data(), end, n, 16);
    if (digits.empty() || digits.size() > 8 || result.ec != std::errc() || result.ptr != end) {
        throw ParseFault{"bad dword '" + std::string(digits) + "'"};
    }
    return n;
}

// The data after '='; nullopt for "-", which deletes the value.
std::optional<RegistryValue> dataValue(std::string_view s) {
    if (s == "-") return std::nullopt;
    if (s.starts_with('"')) {
        std::string text = takeQuoted(s);
        if (!trim(s).empty()) throw ParseFault{"unexpected text after the string"};
        return text;
    }
    if (startsWithNoCase(s, kDwordPrefix)) return dwordValue(s.substr(kDwordPrefix.size()));
    size_t colon = s.find(':');
    if (colon != std::string_view::npos && colon > 0) {
        throw ParseFault{"unknown value type '" + std::string(s.substr(0, colon)) + "'"};
    }
    throw ParseFault{"bad value data"};
}

struct Parser {
    explicit Parser(Registry& target) : registry(target) {}

    Registry& registry;
    bool headerSeen = false;
    // Where value lines go: none before the first key and after a deleted one.
    std::optional<std::string> key;

    void line(std::string_view text);
    void section(std::string_view text);
    void value(std::string_view text);
};

void Parser::line(std::string_view text) {
    if (text.empty()) return;
    if (!headerSeen) {
        if (text != kHeader && text != kOldHeader) {
            throw ParseFault{"missing '" + std::string(kHeader) + "' header"};
        }
        headerSeen = true;
    } else if (text.front() == '[') {
        section(text);
    } else if (text.front() == '"' || text.front() == '@') {
        value(text);
    } else if (text.front() != ';') {
        throw ParseFault{"unrecognised line"};
    }
}

void Parser::section(std::string_view text) {
    if (!text.ends_with(']')) throw ParseFault{"unterminated key name"};
    std::string_view path = text.substr(1, text.size() - 2);
    bool deleting = path.starts_with('-');
    if (deleting) path.remove_prefix(1);
    path = withoutTrailingBackslashes(path);
    if (std::string fault = keyPathFault(path); !fault.empty()) throw ParseFault{fault};
    if (deleting) {
        registry.deleteKey(path);
        key.reset();
        return;
    }
    registry.createKey(path);
    key = std::string(path);
}

void Parser::value(std::string_view text) {
    if (!key) throw ParseFault{"value line outside a key"};
    std::string name = takeValueName(text);
    text = trim(text);
    if (!text.starts_with('=')) throw ParseFault{"expected '=' after the value name"};
    if (auto data = dataValue(trim(text.substr(1)))) {
        registry.setValue(*key, name, std::move(*data));
    } else {
        registry.deleteValue(*key, name);
    }
}

// ---- Files ----

struct FileText {
    std::string text;
    std::string fault;  // why it could not be read
    bool missing = false;
};

// Reads to the end, or until more than `limit` bytes came (a file that grew meanwhile). Returns
// the fault, empty when there was none.
std::string readUpTo(int fd, long long limit, std::string& text) {
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::generic_category().message(errno);
        if (n == 0) return {};
        text.append(buffer.data(), static_cast<size_t>(n));
        if (static_cast<long long>(text.size()) > limit) {
            return "larger than " + std::to_string(limit) + " bytes";
        }
    }
}

// Only a regular file is read, opened without waiting (a pipe or device in its place would
// block the program), and only up to the size limit.
FileText readFile(const std::string& path) {
    FileText file;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        file.missing = errno == ENOENT;
        file.fault = std::generic_category().message(errno);
        return file;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        file.fault = "not a regular file";
    } else if (info.st_size > kMaxRegistryFileSize) {
        file.fault = "larger than " + std::to_string(kMaxRegistryFileSize) + " bytes";
    } else {
        file.fault = readUpTo(fd, kMaxRegistryFileSize, file.text);
    }
    ::close(fd);
    return file;
}

void warnTreatedAsEmpty(const std::string& path, const std::string& problem) {
    std::string line =
        "vexo: registry file " + path + " is " + problem + "; treating it as empty\n";
    std::fputs(line.c_str(), stderr);
}

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

std::string homeDirectory() {
    if (auto home = environment("HOME")) return *home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : ".";
}

}  // namespace

bool Registry::CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
    return std::ranges::lexicographical_compare(
        a, b, [](char x, char y) { return sortRank(x) < sortRank(y); });
}

Registry Registry::load(const std::string& path) {
    FileText file = readFile(path);
    if (file.missing) return {};
    if (!file.fault.empty()) {
        warnTreatedAsEmpty(path, "unreadable (" + file.fault + ")");
        return {};
    }
    std::string error;
    if (auto registry = parse(file.text, &error)) return std::move(*registry);
    warnTreatedAsEmpty(path, "malformed (" + error + ")");
    return {};
}

std::optional<Registry> Registry::parse(std::string_view text, std::string* error) {
    Registry registry;
    Parser parser{registry};
    int lineNumber = 1;
    try {
        if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
            throw ParseFault{"UTF-16 text; the file must be UTF-8"};
        }
        if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
        for (; !text.empty(); ++lineNumber) {
            size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (line.ends_with('\r')) line.remove_suffix(1);
            parser.line(trim(line));
        }
    } catch (const ParseFault& fault) {
        if (error != nullptr) *error = "line " + std::to_string(lineNumber) + ": " + fault.what;
        return std::nullopt;
    }
    return registry;
}

std::string Registry::serialize() const {
    std::string out = std::string(kHeader) + "\n";
    for (const auto& [path, values] : keys_) {
        out += "\n[" + path + "]\n";
        for (const auto& [name, value] : values) out += valueLine(name, value);
    }
    return out;
}

bool Registry::save(const std::string& path) const {
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    return !error && replaceFileContent(path, serialize());
}

const Registry::Values* Registry::findKey(std::string_view keyPath) const {
    auto it = keys_.find(withoutTrailingBackslashes(keyPath));
    return it == keys_.end() ? nullptr : &it->second;
}

Registry::Values* Registry::findKey(std::string_view keyPath) {
    return const_cast<Values*>(std::as_const(*this).findKey(keyPath));
}

Registry::Values* Registry::ensureKey(std::string_view keyPath) {
    std::string_view path = withoutTrailingBackslashes(keyPath);
    if (!keyPathFault(path).empty()) return nullptr;
    auto parts = splitKeyPath(path);
    // Each level keeps its first spelling, so a new subkey is spelled below its parent's.
    auto it = keys_.try_emplace(std::string(*canonicalRoot(parts.front()))).first;
    for (std::string_view part : std::span(parts).subspan(1)) {
        it = keys_.try_emplace(it->first + '\\' + std::string(part)).first;
    }
    return &it->second;
}

bool Registry::keyExists(std::string_view keyPath) const {
    std::string_view path = withoutTrailingBackslashes(keyPath);
    return keys_.contains(path) || canonicalRoot(path).has_value();  // root keys always exist
}

std::optional<RegistryValue> Registry::value(std::string_view keyPath,
                                             std::string_view name) const {
    const Values* values = findKey(keyPath);
    if (values == nullptr) return std::nullopt;
    auto it = values->find(name);
    if (it == values->end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> Registry::readString(std::string_view keyPath,
                                                std::string_view name) const {
    auto found = value(keyPath, name);
    if (!found) return std::nullopt;
    if (const auto* text = std::get_if<std::string>(&*found)) return *text;
    return std::to_string(std::get<std::uint32_t>(*found));
}

void Registry::createKey(std::string_view keyPath) { ensureKey(keyPath); }

void Registry::setValue(std::string_view keyPath, std::string_view name, RegistryValue value) {
    Values* values = ensureKey(keyPath);
    // An existing name keeps its spelling; only the data changes.
    if (values != nullptr) values->insert_or_assign(std::string(name), std::move(value));
}

bool Registry::deleteValue(std::string_view keyPath, std::string_view name) {
    Values* values = findKey(keyPath);
    if (values == nullptr) return false;
    auto it = values->find(name);
    if (it == values->end()) return false;
    values->erase(it);
    return true;
}

bool Registry::deleteKey(std::string_view keyPath) {
    std::string_view path = withoutTrailingBackslashes(keyPath);
    // Subkeys sort directly after their key (see sortRank), so the tree is one range.
    auto first = keys_.lower_bound(path);
    auto last = first;
    while (last != keys_.end() && isKeyOrSubkey(last->first, path)) ++last;
    bool found = first != last;
    keys_.erase(first, last);
    return found;
}

std::string userDataDirectory() {
    // A relative XDG_DATA_HOME is invalid and ignored.
    if (auto data = environment("XDG_DATA_HOME"); data && data->starts_with('/')) {
        return *data + "/vexo";
    }
    return homeDirectory() + "/.local/share/vexo";
}

std::string registryPath() {
    if (auto path = environment("VEXO_REGISTRY")) return *path;
    return userDataDirectory() + "/registry.reg";
}

Registry loadProcessRegistry() { return Registry::load(registryPath()); }

}  // namespace platform
