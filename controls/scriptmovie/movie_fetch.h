// Reading a scripted movie from wherever LoadMovie points.
#pragma once

#include <optional>
#include <string>

#include "controls/scriptmovie/script.h"

namespace controls::scriptmovie {

// The movie at `location` (see resolveMovieSource), read and parsed. On any fault returns
// nullopt with `error` saying why in one line. HTTP transfers block the caller for at most
// about ten seconds: the control has no thread of its own to load on.
std::optional<Script> loadScriptMovie(const std::string& location, std::string* error);

}  // namespace controls::scriptmovie
