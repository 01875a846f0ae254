// The vexo-movie: URI scheme. Ruffle refuses file: URLs and needs its .wasm served as
// application/wasm, so every movie page, the movie files and Ruffle's own files come from this
// scheme, registered as secure and CORS-enabled, from one private web context.
//
// Each control serves its movie under its own host name: vexo-movie://<host>/...
//   /.webmovie/player.html    the page that plays an SWF movie in Ruffle
//   /.webmovie/net/<scheme>/<host>/<path>  a remote SWF movie's network loads (relay_url.h)
//   /.webmovie/ruffle/<file>  Ruffle's files, installed beside the library (SWF movies only)
//   /<absolute path>          a local file inside the folder of the local movie
// and only to the pages of that movie in the control's own view (MovieView::admits).
#pragma once

#include <webkit2/webkit2.h>

#include <memory>
#include <optional>
#include <string>

#include "controls/webmovie/folder.h"
#include "controls/webmovie/load_relay.h"
#include "controls/webmovie/served_files.h"

namespace controls::webmovie {

class MovieView;

constexpr const char* kScheme = "vexo-movie";

// What one control serves under its host name.
struct MovieFiles {
    std::optional<Folder> folder;  // the local movie's folder, opened when the movie was loaded
    std::string htmlDocument;      // this file below the folder is served as text/html
    std::string playerPage;        // the HTML at kPlayerPath; with it, Ruffle's files are served
    std::shared_ptr<LoadRelay> relay;  // a remote SWF movie's: its network loads
};

// The web context all movie views share, created with the scheme on first use and kept for the
// life of the process (the library is never unloaded).
WebKitWebContext* movieWebContext();

// Serves `files` at vexo-movie://<host>/ to the pages `view` admits, until withdrawn. The view
// must outlive its publication.
void publishMovieFiles(const std::string& host, const MovieView& view,
                       std::shared_ptr<const MovieFiles> files);
void withdrawMovieFiles(const std::string& host);

// Where Ruffle's files are: $VEXO_WEBMOVIE_RUFFLE_DIR, or webmovie-ruffle/ beside the library.
const std::string& ruffleDirectory();

// The directory this library was loaded from; its helpers are beside it.
std::string libraryDirectory();

}  // namespace controls::webmovie
