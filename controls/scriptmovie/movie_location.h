// Where LoadMovie's argument says a movie is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace controls::scriptmovie {

struct MovieLocation {
    enum class Kind { File, Http };
    Kind kind = Kind::File;
    std::string target;  // File: a local path. Http: the URL to fetch, query kept.
};

// Accepts an absolute path, a file:// URL (empty host or localhost, percent-escapes decoded)
// or an http:// or https:// URL. For local files a `?query` and `#fragment` are dropped: they
// are arguments to the movie, not part of the file's name. Returns nullopt with `error` set
// for anything else.
std::optional<MovieLocation> resolveMovieLocation(std::string_view location,
                                                  std::string* error = nullptr);

}  // namespace controls::scriptmovie
