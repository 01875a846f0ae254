#include "controls/scriptmovie/movie_fetch.h"

#include <curl/curl.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "controls/core/movie_source.h"

namespace controls::scriptmovie {
namespace {

std::optional<std::string> readFile(const std::string& path, std::string* error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        *error = "no such file " + path;
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        *error = "cannot read " + path;
        return std::nullopt;
    }
    return text;
}

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

void configure(CURL* curl, const std::string& url, std::string* body) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, 5000L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, body);
}

std::optional<std::string> fetchHttp(const std::string& url, std::string* error) {
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        *error = "cannot start an HTTP transfer";
        return std::nullopt;
    }
    std::string body;
    configure(curl, url, &body);
    CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK) {
        *error = url + ": " + curl_easy_strerror(result);
        return std::nullopt;
    }
    return body;
}

}  // namespace

std::optional<Script> loadScriptMovie(const std::string& location, std::string* error) {
    auto where = resolveMovieSource(location, error);
    if (!where) return std::nullopt;
    // A local movie's query and fragment are its arguments; a URL's fragment is never sent.
    auto text = where->kind == MovieSource::Kind::Remote
                    ? fetchHttp(where->url.substr(0, where->url.find('#')), error)
                    : readFile(where->path, error);
    if (!text) return std::nullopt;
    return parseScript(*text, error);
}

}  // namespace controls::scriptmovie
