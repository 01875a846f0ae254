// The vexo-movie: URI scheme. Ruffle refuses file: URLs and needs its .wasm served as
// application/wasm, so every movie page, the movie files and Ruffle's own files come from this
// scheme, registered as secure and CORS-enabled, from one private web context.
//
// Each control serves its movie under its own host name: vexo-movie://<host>/...
//   /.webmovie/player.html    the page that plays an SWF movie in Ruffle
//   /.webmovie/remote.swf     a remote SWF movie, fetched by the control
//   /.webmovie/ruffle/<file>  Ruffle's files, installed beside the library
//   /<absolute path>          a local file inside the directory of a movie the control loaded
#pragma once

#include <webkit2/webkit2.h>

#include <memory>
#include <string>
#include <vector>

namespace controls::webmovie {

constexpr const char* kScheme = "vexo-movie";
constexpr const char* kPlayerPath = "/.webmovie/player.html";
constexpr const char* kRemoteSwfPath = "/.webmovie/remote.swf";
constexpr const char* kRufflePath = "/.webmovie/ruffle/";

// What one control serves under its host name.
struct MovieFiles {
    std::vector<std::string> roots;  // directories of the local movies loaded
    std::string htmlDocument;        // this local file is served as text/html whatever its name
    std::string playerPage;          // the HTML at kPlayerPath
    std::string remoteSwf;           // the bytes at kRemoteSwfPath
};

// The web context all movie views share, created with the scheme on first use and kept for the
// life of the process (the library is never unloaded).
WebKitWebContext* movieWebContext();

// Serves `files` at vexo-movie://<host>/ until withdrawn.
void publishMovieFiles(const std::string& host, std::shared_ptr<const MovieFiles> files);
void withdrawMovieFiles(const std::string& host);

// Where Ruffle's files are: $VEXO_WEBMOVIE_RUFFLE_DIR, or webmovie-ruffle/ beside the library.
const std::string& ruffleDirectory();

}  // namespace controls::webmovie
