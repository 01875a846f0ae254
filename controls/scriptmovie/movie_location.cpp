#include "controls/scriptmovie/movie_location.h"

namespace controls::scriptmovie {
namespace {

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// %XX escapes become bytes; a stray % stays as it is.
std::string percentDecode(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        int high = s[i] == '%' && i + 2 < s.size() ? hexValue(s[i + 1]) : -1;
        int low = high >= 0 ? hexValue(s[i + 2]) : -1;
        if (low < 0) {
            out += s[i];
            continue;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string_view withoutQuery(std::string_view s) { return s.substr(0, s.find_first_of("?#")); }

}  // namespace

std::optional<MovieLocation> resolveMovieLocation(std::string_view location, std::string* error) {
    using Kind = MovieLocation::Kind;
    if (location.starts_with('/'))
        return MovieLocation{Kind::File, std::string(withoutQuery(location))};
    if (startsWithNoCase(location, "http://") || startsWithNoCase(location, "https://")) {
        return MovieLocation{Kind::Http, std::string(location.substr(0, location.find('#')))};
    }
    if (startsWithNoCase(location, "file://")) {
        std::string_view rest = location.substr(7);
        if (startsWithNoCase(rest, "localhost/")) rest.remove_prefix(9);
        if (rest.starts_with('/'))
            return MovieLocation{Kind::File, percentDecode(withoutQuery(rest))};
    }
    if (error) *error = "not an absolute path, file:// or http:// URL";
    return std::nullopt;
}

}  // namespace controls::scriptmovie
