// The script every movie page gets, and the page that plays an SWF movie in Ruffle.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace controls::webmovie {

// The name of the script message handler that carries FSCommand events to the control.
constexpr const char* kFsCommandHandler = "vexoFsCommand";

// Injected at document start into every movie's top frame. It defines window.__vexoMovie, the
// control's entry point into the page, and the movie API: window.external.addCallback,
// window.vexo.addCallback and window.fscommand (see docs/webmovie.md).
const char* bridgeScript();

struct PlayerPage {
    std::string movieUrl;                   // where Ruffle loads the SWF from
    std::string publicPath;                 // where Ruffle's own files are, ending in '/'
    std::optional<std::string> background;  // the stage's "#rrggbb", or the movie's own
    std::string parameters;  // more variables for the movie, as a URL query ("a=1&b=%20")
};

// The HTML of the page that plays `page.movieUrl` in Ruffle.
std::string playerPageHtml(const PlayerPage& page);

// "#rrggbb" for a colour given as 0xRRGGBB.
std::string cssColour(std::uint32_t rgb);

}  // namespace controls::webmovie
