// How a remote SWF movie's network requests reach the control. The movie plays in a page of the
// movie scheme, which may neither fetch plain http: nor read another server's answer without
// CORS headers, which a legacy server does not send. So Ruffle rewrites every http(s) URL the
// movie asks for into a URL of the control's own host:
//   http://example.com:8080/m/a.txt?x=1  ->
//   vexo-movie://movieN/.webmovie/net/http/example.com:8080/m/a.txt?x=1
// and the control fetches it (see LoadRelay), answering from the page's own origin. Pure
// functions: no state, no I/O.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace controls::webmovie {

constexpr const char* kRelayPath = "/.webmovie/net/";

// The URL a relay path stands for: "/.webmovie/net/http/host:port/p" with `query` ("" for none,
// else without '?') is "http://host:port/p?query". Only http and https, with a non-empty
// authority; nullopt otherwise. The rest is kept as it is, percent escapes included.
std::optional<std::string> relayTarget(std::string_view urlPath, std::string_view query);

// The same for a whole URL of the control's host `baseUrl` ("vexo-movie://movieN"): what a
// navigation to a rewritten URL would really load. nullopt for any other URL.
std::optional<std::string> relayTargetOfUrl(std::string_view url, std::string_view baseUrl);

// The folder of an http(s) URL, as Ruffle's base wants it: "http://h/m/a.swf?x#y" is
// "http://h/m/", "http://h" is "http://h/".
std::string folderUrlOf(std::string_view url);

}  // namespace controls::webmovie
