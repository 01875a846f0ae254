#include "controls/scriptmovie/invoke_request.h"

namespace controls::scriptmovie {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void skipSpace(std::string_view& s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
}

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == ':' || c == '.';
}

struct Attribute {
    std::string_view key;
    std::string_view value;
};

// Reads `key="value"` (or single quotes) off the front of `s`.
std::optional<Attribute> takeAttribute(std::string_view& s) {
    std::size_t keyEnd = 0;
    while (keyEnd < s.size() && isNameChar(s[keyEnd])) ++keyEnd;
    Attribute attribute{s.substr(0, keyEnd), {}};
    s.remove_prefix(keyEnd);
    skipSpace(s);
    if (attribute.key.empty() || s.empty() || s.front() != '=') return std::nullopt;
    s.remove_prefix(1);
    skipSpace(s);
    if (s.empty() || (s.front() != '"' && s.front() != '\'')) return std::nullopt;
    std::size_t close = s.find(s.front(), 1);
    if (close == std::string_view::npos) return std::nullopt;
    attribute.value = s.substr(1, close - 1);
    s.remove_prefix(close + 1);
    return attribute;
}

}  // namespace

std::optional<std::string> invokeRequestName(std::string_view request) {
    constexpr std::string_view kOpen = "<invoke", kClose = "</invoke>";
    skipSpace(request);
    while (!request.empty() && isSpace(request.back())) request.remove_suffix(1);
    if (!request.starts_with(kOpen) || !request.ends_with(kClose)) return std::nullopt;
    std::string_view s = request.substr(kOpen.size());
    std::optional<std::string> name;
    while (!s.empty() && isSpace(s.front())) {
        skipSpace(s);
        if (!s.empty() && s.front() == '>') break;
        auto attribute = takeAttribute(s);
        if (!attribute) return std::nullopt;
        if (attribute->key == "name") name = std::string(attribute->value);
    }
    if (s.empty() || s.front() != '>' || !name || name->empty()) return std::nullopt;
    return name;
}

}  // namespace controls::scriptmovie
