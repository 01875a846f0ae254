#include "controls/webmovie/served_files.h"

#include <array>

#include "controls/webmovie/movie_source.h"

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

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool hasDotSegment(std::string_view path) {
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view segment = path.substr(start, end - start);
        if (segment == "." || segment == "..") return true;
        start = end + 1;
    }
    return false;
}

bool isInside(std::string_view path, std::string_view root) {
    if (root == "/") return true;
    return path.size() > root.size() + 1 && path.starts_with(root) && path[root.size()] == '/';
}

}  // namespace

std::string mimeTypeFor(std::string_view path) {
    std::size_t dot = path.rfind('.');
    std::size_t slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return "application/octet-stream";
    }
    std::string extension = lowerCase(path.substr(dot + 1));
    for (const auto& known : kMimeTypes) {
        if (known.extension == extension) return std::string(known.type);
    }
    return "application/octet-stream";
}

std::optional<std::string> fileInRoots(std::string_view urlPath,
                                       const std::vector<std::string>& roots) {
    auto path = decodePercent(urlPath);
    if (!path || path->empty() || path->front() != '/' || hasDotSegment(*path)) return std::nullopt;
    for (const auto& root : roots) {
        if (isInside(*path, root)) return path;
    }
    return std::nullopt;
}

std::string directoryOf(std::string_view path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

}  // namespace controls::webmovie
