#include "update/http/http_url.h"

#include <curl/curl.h>

#include <memory>

namespace update {

namespace {

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::string requestTarget(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string target = path.starts_with('/') ? "" : "/";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && byte != '#') {
            target += c;
        } else {
            target += '%';
            target += kHex[byte >> 4];
            target += kHex[byte & 0x0F];
        }
    }
    return target;
}

std::string bracketed(const std::string& host) {
    const bool ipv6 = host.find(':') != std::string::npos && !host.starts_with('[');
    return ipv6 ? "[" + host + "]" : host;
}

}  // namespace

std::optional<std::string> requestUrl(const std::string& host, std::int32_t port,
                                      const std::string& path) {
    if (host.empty() || port < 0 || port > 65535) return std::nullopt;
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url) return std::nullopt;
    const std::string portText = std::to_string(port);
    if (curl_url_set(url.get(), CURLUPART_SCHEME, "http", 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_HOST, bracketed(host).c_str(), 0) != CURLUE_OK ||
        (port != 0 && curl_url_set(url.get(), CURLUPART_PORT, portText.c_str(), 0) != CURLUE_OK)) {
        return std::nullopt;
    }
    // The path is appended as text: libcurl would rewrite its percent-escapes in lower case.
    char* origin = nullptr;
    if (curl_url_get(url.get(), CURLUPART_URL, &origin, 0) != CURLUE_OK) return std::nullopt;
    std::string result(origin);
    curl_free(origin);
    if (result.ends_with('/')) result.pop_back();
    return result + requestTarget(path);
}

}  // namespace update
