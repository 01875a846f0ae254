// Where a link the user follows out of a movie goes: the user's own browser, as a desktop
// program sends its links, never the movie window.
#pragma once

#include <string>

namespace controls::webmovie {

// Opens `url` (an http or https URL) in the user's browser: with the program that
// $VEXO_WEBMOVIE_OPENER names, run with the URL as its one argument (a bare name is looked up in
// PATH), or else with the desktop's default handler of the URL. Returns at once, without waiting
// for the browser; a failure goes to stderr as "webmovie: cannot open <url>: <why>".
void openInBrowser(const std::string& url);

}  // namespace controls::webmovie
