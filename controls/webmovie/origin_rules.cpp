#include "controls/webmovie/origin_rules.h"

#include <charconv>

#include "controls/webmovie/ascii_text.h"

namespace controls::webmovie {
namespace {

struct UrlParts {
    std::string scheme;  // lower case
    std::string_view authority;
    std::string_view path;  // up to the query or fragment
};

bool isSchemeChar(char c, bool first) {
    c = asciiLower(c);
    if (c >= 'a' && c <= 'z') return true;
    return !first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.');
}

// Splits "scheme://authority/path?query#fragment"; false for text without "scheme://".
bool splitUrl(std::string_view url, UrlParts* parts) {
    std::size_t colon = url.find(':');
    if (colon == 0 || colon == std::string_view::npos) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        if (!isSchemeChar(url[i], i == 0)) return false;
    }
    parts->scheme = asciiLowerCase(url.substr(0, colon));
    std::string_view rest = url.substr(colon + 1);
    if (!rest.starts_with("//")) return false;
    rest.remove_prefix(2);
    // A backslash ends the authority as a slash does: WebKit reads http://a\@b as host a.
    std::size_t end = rest.find_first_of("/\\?#");
    parts->authority = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    parts->path = rest.substr(0, rest.find_first_of("?#"));
    return true;
}

// "host" or "host:port" of an authority, or "" when it has no valid host.
std::string hostAndPort(std::string_view scheme, std::string_view authority) {
    std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);
    std::size_t portColon =
        authority.starts_with('[') ? authority.find("]:") : authority.rfind(':');
    if (portColon != std::string_view::npos && authority.starts_with('[')) ++portColon;
    std::string_view host = authority.substr(0, portColon);
    if (host.empty() || host == "[]") return {};
    if (host.starts_with('[') != host.ends_with(']')) return {};
    if (portColon == std::string_view::npos) return asciiLowerCase(host);
    std::string_view portText = authority.substr(portColon + 1);
    if (portText.empty()) return asciiLowerCase(host);
    unsigned port = 0;
    auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (error != std::errc() || end != portText.data() + portText.size() || port > 65535) return {};
    bool standard = (scheme == "http" && port == 80) || (scheme == "https" && port == 443);
    return standard ? asciiLowerCase(host) : asciiLowerCase(host) + ":" + std::to_string(port);
}

bool isBlankDocument(std::string_view url) {
    std::string text = asciiLowerCase(url.substr(0, url.find_first_of("?#")));
    return text == "about:blank" || text == "about:srcdoc";
}

// The user may take an http(s) link to the browser: never a script, a form or a redirect.
bool goesToBrowser(const Navigation& navigation) {
    return navigation.userGesture && !navigation.formSubmission && !navigation.redirect &&
           isWebUrl(navigation.target);
}

}  // namespace

std::string originOf(std::string_view url) {
    UrlParts parts;
    if (asciiLowerCase(url.substr(0, 5)) == "blob:") return originOf(url.substr(5));
    if (!splitUrl(url, &parts) || parts.scheme == "file") return {};
    std::string host = hostAndPort(parts.scheme, parts.authority);
    return host.empty() ? std::string() : parts.scheme + "://" + host;
}

bool hasOrigin(std::string_view url, std::string_view origin) {
    return !origin.empty() && originOf(url) == origin;
}

bool belongsToMovie(std::string_view origin, std::string_view url) {
    return isBlankDocument(url) || hasOrigin(url, origin);
}

bool isWebUrl(std::string_view url) {
    UrlParts parts;
    return splitUrl(url, &parts) && (parts.scheme == "http" || parts.scheme == "https") &&
           !originOf(url).empty();
}

bool sameDocument(std::string_view a, std::string_view b) {
    std::string origin = originOf(a);
    if (origin.empty() || originOf(b) != origin) {
        return origin.empty() && originOf(b).empty() &&
               a.substr(0, a.find_first_of("?#")) == b.substr(0, b.find_first_of("?#"));
    }
    UrlParts partsA, partsB;
    splitUrl(a, &partsA);
    splitUrl(b, &partsB);
    auto path = [](std::string_view p) { return p.empty() ? std::string_view("/") : p; };
    return path(partsA.path) == path(partsB.path);
}

NavigationVerdict judgeNavigation(std::string_view origin, std::string_view pending,
                                  const Navigation& navigation) {
    const auto toBrowserOrRefuse = [&] {
        return goesToBrowser(navigation) ? NavigationVerdict::OpenInBrowser
                                         : NavigationVerdict::Refuse;
    };
    if (navigation.newWindow) return toBrowserOrRefuse();
    if (!pending.empty()) {
        bool admitted = sameDocument(navigation.target, pending) ||
                        (navigation.redirect && hasOrigin(navigation.target, origin));
        return admitted ? NavigationVerdict::Allow : NavigationVerdict::Refuse;
    }
    if (belongsToMovie(origin, navigation.target)) return NavigationVerdict::Allow;
    return toBrowserOrRefuse();
}

}  // namespace controls::webmovie
