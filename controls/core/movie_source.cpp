#include "controls/core/movie_source.h"

namespace controls {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lower(text[i]) != prefix[i]) return false;
    }
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool isUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

std::optional<MovieSource> localSource(std::string_view pathAndSuffix, bool escaped,
                                       std::string* error) {
    std::size_t cut = pathAndSuffix.find_first_of("?#");
    std::string_view path = pathAndSuffix.substr(0, cut);
    std::optional<std::string> decoded =
        escaped ? decodePercent(path) : std::optional<std::string>(std::string(path));
    if (!decoded || decoded->empty() || decoded->front() != '/') {
        if (error) *error = "neither an http(s) URL nor an absolute path: " + std::string(path);
        return std::nullopt;
    }
    MovieSource source;
    source.path = std::move(*decoded);
    if (cut != std::string_view::npos) source.suffix = std::string(pathAndSuffix.substr(cut));
    return source;
}

// file://host/path: only this machine's files.
std::optional<MovieSource> fileUrlSource(std::string_view location, std::string* error) {
    std::string_view rest = location.substr(7);
    std::size_t slash = rest.find('/');
    std::string_view host = rest.substr(0, slash);
    bool local = host.empty() || (host.size() == 9 && startsWithNoCase(host, "localhost"));
    if (slash == std::string_view::npos || !local) {
        if (error) *error = "not a local file: URL: " + std::string(location);
        return std::nullopt;
    }
    return localSource(rest.substr(slash), true, error);
}

}  // namespace

std::optional<MovieSource> resolveMovieSource(std::string_view location, std::string* error) {
    if (startsWithNoCase(location, "http://") || startsWithNoCase(location, "https://")) {
        MovieSource source;
        source.kind = MovieSource::Kind::Remote;
        source.url = std::string(location);
        const std::string_view beforeFragment = location.substr(0, location.find('#'));
        const std::size_t question = beforeFragment.find('?');
        if (question != std::string_view::npos) {
            source.query = std::string(beforeFragment.substr(question + 1));
        }
        return source;
    }
    if (startsWithNoCase(location, "file://")) return fileUrlSource(location, error);
    return localSource(location, false, error);
}

bool looksLikeSwf(std::string_view firstBytes) {
    if (firstBytes.size() < 3 || firstBytes.substr(1, 2) != "WS") return false;
    return firstBytes[0] == 'F' || firstBytes[0] == 'C' || firstBytes[0] == 'Z';
}

std::string encodeUrlPath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (isUnreserved(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

std::optional<std::string> decodePercent(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        int high = i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        int low = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

}  // namespace controls
