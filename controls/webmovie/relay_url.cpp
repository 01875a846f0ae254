#include "controls/webmovie/relay_url.h"

#include "controls/webmovie/ascii_text.h"

namespace controls::webmovie {
namespace {

// "http" or "https" in any letter case, as its lower-case name; "" for anything else.
std::string webScheme(std::string_view scheme) {
    const std::string lower = asciiLowerCase(scheme);
    return lower == "http" || lower == "https" ? lower : std::string();
}

}  // namespace

std::optional<std::string> relayTarget(std::string_view urlPath, std::string_view query) {
    std::string_view prefix = kRelayPath;
    if (!urlPath.starts_with(prefix)) return std::nullopt;
    std::string_view rest = urlPath.substr(prefix.size());
    std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    std::string scheme = webScheme(rest.substr(0, slash));
    std::string_view hostAndPath = rest.substr(slash + 1);
    std::string_view authority = hostAndPath.substr(0, hostAndPath.find('/'));
    if (scheme.empty() || authority.empty() || authority.find('\\') != std::string_view::npos) {
        return std::nullopt;
    }
    std::string url = scheme + "://" + std::string(hostAndPath);
    if (authority.size() == hostAndPath.size()) url += '/';
    if (!query.empty()) url += "?" + std::string(query);
    return url;
}

std::optional<std::string> relayTargetOfUrl(std::string_view url, std::string_view baseUrl) {
    if (!url.starts_with(baseUrl)) return std::nullopt;
    url.remove_prefix(baseUrl.size());
    url = url.substr(0, url.find('#'));
    std::size_t question = url.find('?');
    std::string_view query = question == std::string_view::npos ? "" : url.substr(question + 1);
    return relayTarget(url.substr(0, question), query);
}

std::string folderUrlOf(std::string_view url) {
    url = url.substr(0, url.find_first_of("?#"));
    std::size_t separator = url.find("://");
    std::size_t pathStart = separator == std::string_view::npos ? 0 : url.find('/', separator + 3);
    if (pathStart == std::string_view::npos) return std::string(url) + "/";
    return std::string(url.substr(0, url.rfind('/') + 1));
}

}  // namespace controls::webmovie
