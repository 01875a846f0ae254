// The script every movie page gets, and the page that plays an SWF movie in Ruffle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace controls::webmovie {

// The name of the script message handler that carries FSCommand events to the control.
constexpr const char* kFsCommandHandler = "vexoFsCommand";
// The name of the one that tells the control of videos the page cannot play: [token, "decoder",
// codec] for a codec it asked a decoder for (WebCodecs' VideoDecoder or AudioDecoder) that this
// machine cannot decode, [token, "unreadable", url] for a video Ruffle cannot read.
constexpr const char* kVideoHandler = "vexoVideo";

// Bounds of a callback's reply. Deeper values become undefined; a reply with more values or
// more text is refused, by the bridge in the page and again by the control.
constexpr int kReplyMaxDepth = 16;
constexpr std::size_t kReplyMaxValues = 100000;
constexpr std::size_t kReplyMaxText = std::size_t{4} << 20;  // UTF-16 units of strings and keys

// Injected at document start into the top frame of every page. In a page of `origin` (see
// origin_rules.h) it defines window.__vexoMovie, the control's entry point into the page, and the
// movie API: window.external.addCallback, window.vexo.addCallback and window.fscommand (see
// docs/webmovie.md); in any other page it does nothing. Its FSCommand messages carry `token`
// first: [token, command, args]. It keeps the functions it uses from before the page's own
// scripts run, so a page that replaces a prototype or a global changes nothing of it. It also
// watches the page's decoders and Ruffle's box for videos it cannot read (kVideoHandler).
std::string bridgeScript(const std::string& origin, const std::string& token);

struct PlayerPage {
    std::string movieUrl;                   // where Ruffle loads the SWF from
    std::string publicPath;                 // where Ruffle's own files are, ending in '/'
    std::optional<std::string> background;  // the stage's "#rrggbb", or the movie's own
    std::string parameters;  // more variables for the movie, as a URL query ("a=1&b=%20")
    // A remote movie's: the control's base URL ("vexo-movie://movieN"). Its relative URLs then
    // resolve against movieUrl's folder, and Ruffle sends all its http(s) loads through the relay
    // (relay_url.h). "" for a local movie.
    std::string relayBase = {};
};

// The HTML of the page that plays `page.movieUrl` in Ruffle.
std::string playerPageHtml(const PlayerPage& page);

// "#rrggbb" for a colour given as 0xRRGGBB.
std::string cssColour(std::uint32_t rgb);

}  // namespace controls::webmovie
