// The origin rules of a movie window: which pages belong to the movie, and where the window may
// go. A movie's origin is that of the page it plays in:
//   - a local movie, and a remote SWF movie (played from memory): the control's scheme host,
//     vexo-movie://movieN;
//   - a remote page: its own server, as the URL reads after the control's fetch followed its
//     redirects (http://host:port).
// Only pages of that origin are shown, get the movie API, and reach the host. Pure functions:
// no state, no I/O.
#pragma once

#include <string>
#include <string_view>

namespace controls::webmovie {

// The origin of a URL as a page's `location.origin` reads: "scheme://host" or
// "scheme://host:port", scheme and host in lower case, without user information, with the
// default port of http (80) and https (443) left out; for a blob: URL the origin of the URL it
// wraps. "" for a URL without a host (about:, data:, file:, javascript:...) or for text that is
// no URL. Two URLs are of the same origin when both have one and they are equal.
std::string originOf(std::string_view url);

// Whether `url` is of `origin`; never when `origin` is "".
bool hasOrigin(std::string_view url, std::string_view origin);

// Whether a page at `url` may show in the window of a movie of `origin`: about:blank,
// about:srcdoc (both of their parent's origin) and URLs of `origin`.
bool belongsToMovie(std::string_view origin, std::string_view url);

// Whether `url` is an http: or https: URL with a host.
bool isWebUrl(std::string_view url);

// Whether two URLs name the same document: the same origin (or, without one, the same text up to
// the path's end) and the same path, whatever their queries and fragments.
bool sameDocument(std::string_view a, std::string_view b);

// A frame of the movie window (the top frame or one inside it) is about to load a URL.
struct Navigation {
    std::string_view target;      // the URL it would load
    bool userGesture = false;     // the user clicked or typed to cause it
    bool formSubmission = false;  // a form posts (or gets) its fields
    bool newWindow = false;       // it asks for a window of its own (target=_blank, window.open)
    bool redirect = false;        // a server redirects a load already allowed
};

enum class NavigationVerdict { Allow, OpenInBrowser, Refuse };

// What the movie window does with a navigation. `origin` is the movie's origin ("" while none is
// known). `pending` is the document the control itself is loading, "" once it has arrived: until
// then only that document, and redirects of it within `origin`, may load, so the page it
// replaces can neither cancel it nor take its place. Otherwise:
//   - pages that belong to the movie (belongsToMovie) load in the window, frames included;
//   - an http(s) URL the user asked for (a gesture, neither a form nor a redirect) opens in the
//     user's browser, as must every new window the user asks for;
//   - anything else is refused: scripts, redirects and forms never take the window elsewhere,
//     and frames of other origins never load.
NavigationVerdict judgeNavigation(std::string_view origin, std::string_view pending,
                                  const Navigation& navigation);

}  // namespace controls::webmovie
