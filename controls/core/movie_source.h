// Where LoadMovie's argument says a movie is, and what its first bytes say it is: the same rules
// for every movie control.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace controls {

struct MovieSource {
    enum class Kind { Local, Remote };
    Kind kind = Kind::Local;
    std::string path;    // Local: the absolute file path, percent escapes of a file: URL decoded
    std::string suffix;  // Local: the `?query` and `#fragment` as given, passed on to the movie
    std::string url;     // Remote: the http(s) URL as given
    std::string query;   // Remote: the URL's query, without '?' and fragment: an SWF's variables
};

// Accepts an http:// or https:// URL, an absolute path with an optional `?query`, or a file:
// URL with an empty host or `localhost`. Returns nullopt with `error` set for anything else.
std::optional<MovieSource> resolveMovieSource(std::string_view location, std::string* error);

// Whether the bytes start like an SWF: "FWS" (plain), "CWS" (zlib) or "ZWS" (LZMA).
bool looksLikeSwf(std::string_view firstBytes);

// Percent-encodes a path for a URL, keeping '/' and the unreserved characters.
std::string encodeUrlPath(std::string_view path);

// Decodes %XX escapes; nullopt for a broken escape (a '%' without two hex digits) or an escaped
// NUL, which no file name or URL of a movie holds.
std::optional<std::string> decodePercent(std::string_view text);

}  // namespace controls
