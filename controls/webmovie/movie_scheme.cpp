#include "controls/webmovie/movie_scheme.h"

#include <dlfcn.h>
#include <gio/gunixinputstream.h>
#include <libsoup/soup.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <map>

#include "controls/webmovie/bounded_stream.h"
#include "controls/webmovie/language_tags.h"
#include "controls/webmovie/movie_view.h"
#include "controls/webmovie/relay_url.h"
#include "controls/webmovie/remux_stream.h"

namespace controls::webmovie {
namespace {

struct Publication {
    const MovieView* view;
    std::shared_ptr<const MovieFiles> files;
};

std::map<std::string, Publication>& published() {
    static std::map<std::string, Publication> publications;
    return publications;
}

void finishNotFound(WebKitURISchemeRequest* request, const std::string& what) {
    GError* error = g_error_new(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "not found: %s", what.c_str());
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
}

void finishStream(WebKitURISchemeRequest* request, GInputStream* stream, gint64 size,
                  const std::string& mimeType) {
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, size);
    webkit_uri_scheme_response_set_content_type(response, mimeType.c_str());
    // fetch() reads the type from the header: WebAssembly.instantiateStreaming needs it.
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Content-Type", mimeType.c_str());
    webkit_uri_scheme_response_set_http_headers(response, headers);  // takes them
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
}

void serveText(WebKitURISchemeRequest* request, const std::string& text, const char* mimeType) {
    GBytes* bytes = g_bytes_new(text.data(), text.size());
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    finishStream(request, stream, static_cast<gint64>(text.size()), mimeType);
    g_object_unref(stream);
    g_bytes_unref(bytes);
}

// A local SWF movie streams MP4-family files as FLV, as a remote one does: the file is read in
// place, and it is the user's own, so it may be larger than a remote one.
constexpr std::uint64_t kLocalVideoMaxBytes = std::uint64_t{4} << 30;

// Answers with the FLV of the local file `fd` when it is an MP4-family file; false when it is
// not one (`fd` is then still open).
bool serveRemuxed(WebKitURISchemeRequest* request, int fd, const std::string& path) {
    char head[8];
    if (pread(fd, head, sizeof head, 0) != sizeof head || !startsMp4Family({head, sizeof head})) {
        return false;
    }
    std::string why;
    GInputStream* flv = remuxToFlv({nullptr, fd, kLocalVideoMaxBytes, path}, nullptr, why);
    if (!flv) {
        GError* error = g_error_new(G_IO_ERROR, G_IO_ERROR_FAILED, "%s", why.c_str());
        webkit_uri_scheme_request_finish_error(request, error);
        g_error_free(error);
        return true;
    }
    // A video that fails midway ends there, as a remote one does (see boundedStreamNew).
    GCancellable* never = g_cancellable_new();
    GInputStream* video = boundedStreamNew(flv, G_MAXUINT64, never, true);
    finishStream(request, video, -1, "video/x-flv");
    g_object_unref(video);
    g_object_unref(never);
    g_object_unref(flv);
    return true;
}

void serveFile(WebKitURISchemeRequest* request, const std::optional<Folder>& folder,
               const std::string& relative, const std::string& mimeType, bool videoAsFlv = false) {
    int fd = folder ? folder->openFile(relative) : -1;
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        if (fd >= 0) close(fd);
        return finishNotFound(request, relative);
    }
    if (videoAsFlv && serveRemuxed(request, fd, folder->path() + "/" + relative)) return;
    GInputStream* stream = g_unix_input_stream_new(fd, TRUE);
    finishStream(request, stream, static_cast<gint64>(info.st_size), mimeType);
    g_object_unref(stream);
}

void serve(WebKitURISchemeRequest* request, const MovieFiles& files, std::string_view urlPath,
           std::string_view query) {
    if (auto target = files.relay ? relayTarget(urlPath, query) : std::nullopt) {
        return files.relay->serve(request, *target);
    }
    ServedPath path = resolveServedPath(urlPath, files.folder ? files.folder->path() : "");
    switch (path.kind) {
        case ServedPath::Kind::PlayerPage:
            if (files.playerPage.empty()) break;
            return serveText(request, files.playerPage, "text/html");
        case ServedPath::Kind::RuffleFile:
            if (files.playerPage.empty()) break;
            return serveFile(request, Folder::open(ruffleDirectory()), path.relative,
                             mimeTypeFor(path.relative));
        case ServedPath::Kind::MovieFile:
            // Only an SWF movie plays through Ruffle, which reads no MP4.
            return serveFile(
                request, files.folder, path.relative,
                path.relative == files.htmlDocument ? "text/html" : mimeTypeFor(path.relative),
                !files.playerPage.empty());
        case ServedPath::Kind::None:
            break;
    }
    finishNotFound(request, std::string(urlPath));
}

void onRequest(WebKitURISchemeRequest* request, gpointer) {
    const char* uri = webkit_uri_scheme_request_get_uri(request);
    GUri* parsed = g_uri_parse(uri, G_URI_FLAGS_ENCODED, nullptr);
    const char* host = parsed ? g_uri_get_host(parsed) : nullptr;
    auto found = host ? published().find(host) : published().end();
    if (found == published().end() ||
        !found->second.view->admits(webkit_uri_scheme_request_get_web_view(request), uri)) {
        finishNotFound(request, uri);
    } else {
        std::shared_ptr<const MovieFiles> files = found->second.files;  // a load may replace them
        const char* query = g_uri_get_query(parsed);
        serve(request, *files, g_uri_get_path(parsed), query ? query : "");
    }
    if (parsed) g_uri_unref(parsed);
}

std::vector<std::string> localeNames() {
    std::vector<std::string> names;
    for (const char* const* name = g_get_language_names(); *name; ++name) names.push_back(*name);
    return names;
}

void setLanguages(WebKitWebContext* context) {
    std::vector<std::string> tags = webLanguages(localeNames());
    std::vector<const char*> list;
    for (const auto& tag : tags) list.push_back(tag.c_str());
    list.push_back(nullptr);
    webkit_web_context_set_preferred_languages(context, list.data());
}

WebKitWebContext* createContext() {
    WebKitWebContext* context = webkit_web_context_new();
    setLanguages(context);
    webkit_web_context_register_uri_scheme(context, kScheme, onRequest, nullptr, nullptr);
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_secure(security, kScheme);
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, kScheme);
    return context;
}

}  // namespace

WebKitWebContext* movieWebContext() {
    static WebKitWebContext* context = createContext();
    return context;
}

void publishMovieFiles(const std::string& host, const MovieView& view,
                       std::shared_ptr<const MovieFiles> files) {
    published()[host] = {&view, std::move(files)};
}

void withdrawMovieFiles(const std::string& host) { published().erase(host); }

std::string libraryDirectory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&createContext), &info) == 0 || !info.dli_fname) return ".";
    std::string path = info.dli_fname;
    return directoryOf(path);
}

const std::string& ruffleDirectory() {
    static const std::string directory = [] {
        const char* configured = std::getenv("VEXO_WEBMOVIE_RUFFLE_DIR");
        return configured && *configured ? std::string(configured)
                                         : libraryDirectory() + "/webmovie-ruffle";
    }();
    return directory;
}

}  // namespace controls::webmovie
