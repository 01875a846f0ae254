#include "update/manifest/manifest_path.h"

#include <algorithm>

namespace update {

namespace {

bool hasControlCharacter(std::string_view path) {
    return std::any_of(path.begin(), path.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace

bool isContainedPath(std::string_view path, bool allowEmpty) {
    if (path.empty()) return allowEmpty;
    if (path.front() == '/' || path.front() == '\\' || hasControlCharacter(path)) return false;
    while (true) {
        const std::size_t separator = path.find_first_of("/\\");
        if (path.substr(0, separator) == "..") return false;
        if (separator == std::string_view::npos) return true;
        path.remove_prefix(separator + 1);
    }
}

std::string localName(std::string_view name) {
    std::string local(name);
    std::replace(local.begin(), local.end(), '\\', '/');
    return local;
}

}  // namespace update
