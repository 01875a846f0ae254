#include "controls/webmovie/movie_scheme.h"

#include <dlfcn.h>
#include <libsoup/soup.h>

#include <cstdlib>
#include <map>

#include "controls/webmovie/language_tags.h"
#include "controls/webmovie/served_files.h"

namespace controls::webmovie {
namespace {

std::map<std::string, std::shared_ptr<const MovieFiles>>& published() {
    static std::map<std::string, std::shared_ptr<const MovieFiles>> files;
    return files;
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

void serveFile(WebKitURISchemeRequest* request, const std::string& path,
               const std::string& mimeType) {
    GFile* file = g_file_new_for_path(path.c_str());
    GFileInfo* info = g_file_query_info(file, "standard::type,standard::size",
                                        G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
    bool regular = info && g_file_info_get_file_type(info) == G_FILE_TYPE_REGULAR;
    GFileInputStream* stream = regular ? g_file_read(file, nullptr, nullptr) : nullptr;
    if (stream) {
        finishStream(request, G_INPUT_STREAM(stream), g_file_info_get_size(info), mimeType);
        g_object_unref(stream);
    } else {
        finishNotFound(request, path);
    }
    if (info) g_object_unref(info);
    g_object_unref(file);
}

void serveRuffle(WebKitURISchemeRequest* request, std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos || name.starts_with(".")) {
        finishNotFound(request, std::string(name));
        return;
    }
    std::string path = ruffleDirectory() + "/" + std::string(name);
    serveFile(request, path, mimeTypeFor(path));
}

void serve(WebKitURISchemeRequest* request, const MovieFiles& files, std::string_view path) {
    if (path == kPlayerPath) return serveText(request, files.playerPage, "text/html");
    if (path == kRemoteSwfPath) {
        return serveText(request, files.remoteSwf, "application/x-shockwave-flash");
    }
    if (path.starts_with(kRufflePath))
        return serveRuffle(request, path.substr(std::string_view(kRufflePath).size()));
    auto file = fileInRoots(path, files.roots);
    if (!file) return finishNotFound(request, std::string(path));
    serveFile(request, *file, *file == files.htmlDocument ? "text/html" : mimeTypeFor(*file));
}

void onRequest(WebKitURISchemeRequest* request, gpointer) {
    GUri* uri =
        g_uri_parse(webkit_uri_scheme_request_get_uri(request), G_URI_FLAGS_ENCODED, nullptr);
    const char* host = uri ? g_uri_get_host(uri) : nullptr;
    auto found = host ? published().find(host) : published().end();
    if (found == published().end()) {
        finishNotFound(request, webkit_uri_scheme_request_get_uri(request));
    } else {
        std::shared_ptr<const MovieFiles> files = found->second;  // a load may replace them
        serve(request, *files, g_uri_get_path(uri));
    }
    if (uri) g_uri_unref(uri);
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

std::string libraryDirectory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&createContext), &info) == 0 || !info.dli_fname) return ".";
    std::string path = info.dli_fname;
    return directoryOf(path);
}

}  // namespace

WebKitWebContext* movieWebContext() {
    static WebKitWebContext* context = createContext();
    return context;
}

void publishMovieFiles(const std::string& host, std::shared_ptr<const MovieFiles> files) {
    published()[host] = std::move(files);
}

void withdrawMovieFiles(const std::string& host) { published().erase(host); }

const std::string& ruffleDirectory() {
    static const std::string directory = [] {
        const char* configured = std::getenv("VEXO_WEBMOVIE_RUFFLE_DIR");
        return configured && *configured ? std::string(configured)
                                         : libraryDirectory() + "/webmovie-ruffle";
    }();
    return directory;
}

}  // namespace controls::webmovie
