#include "controls/webmovie/served_files.h"

#include <array>

#include "controls/core/movie_source.h"
#include "controls/webmovie/ascii_text.h"

namespace controls::webmovie {
namespace {

struct MimeType {
    std::string_view extension;
    std::string_view type;
};

constexpr std::array<MimeType, 24> kMimeTypes{{
    {"html", "text/html"},        {"htm", "text/html"},
    {"js", "text/javascript"},    {"mjs", "text/javascript"},
    {"css", "text/css"},          {"json", "application/json"},
    {"wasm", "application/wasm"}, {"swf", "application/x-shockwave-flash"},
    {"xml", "application/xml"},   {"txt", "text/plain"},
    {"png", "image/png"},         {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},       {"gif", "image/gif"},
    {"svg", "image/svg+xml"},     {"webp", "image/webp"},
    {"ico", "image/x-icon"},      {"mp3", "audio/mpeg"},
    {"wav", "audio/wav"},         {"ogg", "audio/ogg"},
    {"mp4", "video/mp4"},         {"woff", "font/woff"},
    {"woff2", "font/woff2"},      {"ttf", "font/ttf"},
}};

// Segments separated by single slashes, none of them ".", ".." or empty, and no NUL.
bool isPlainRelativePath(std::string_view path) {
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view segment = path.substr(start, end - start);
        if (segment.empty() || segment == "." || segment == "..") return false;
        start = end + 1;
    }
    return path.find('\0') == std::string_view::npos;
}

// The part of `path` below the directory `folder`, or "" when it is not below it.
std::string_view below(std::string_view path, std::string_view folder) {
    if (folder.empty() || folder.front() != '/') return {};
    if (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
    std::size_t prefix = folder == "/" ? 1 : folder.size() + 1;
    if (path.size() <= prefix || !path.starts_with(folder) || path[prefix - 1] != '/') return {};
    return path.substr(prefix);
}

ServedPath movieFile(std::string_view urlPath, std::string_view folder) {
    auto path = decodePercent(urlPath);
    if (!path) return {};
    std::string_view relative = below(*path, folder);
    if (relative.empty() || !isPlainRelativePath(relative)) return {};
    return {ServedPath::Kind::MovieFile, std::string(relative)};
}

}  // namespace

std::string mimeTypeFor(std::string_view path) {
    std::size_t dot = path.rfind('.');
    std::size_t slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return "application/octet-stream";
    }
    std::string extension = asciiLowerCase(path.substr(dot + 1));
    for (const auto& known : kMimeTypes) {
        if (known.extension == extension) return std::string(known.type);
    }
    return "application/octet-stream";
}

ServedPath resolveServedPath(std::string_view urlPath, std::string_view folder) {
    using Kind = ServedPath::Kind;
    if (urlPath == kPlayerPath) return {Kind::PlayerPage, {}};
    if (urlPath.starts_with(kRufflePath)) {
        std::string_view name = urlPath.substr(std::string_view(kRufflePath).size());
        bool plain = !name.empty() && !name.starts_with('.') && isPlainRelativePath(name) &&
                     name.find('/') == std::string_view::npos;
        return plain ? ServedPath{Kind::RuffleFile, std::string(name)} : ServedPath{};
    }
    return movieFile(urlPath, folder);
}

std::string directoryOf(std::string_view path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

}  // namespace controls::webmovie
