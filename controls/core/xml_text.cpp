#include "controls/core/xml_text.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>

namespace controls {
namespace {

struct NamedEntity {
    std::string_view name;
    char character;
};
constexpr std::array<NamedEntity, 5> kNamed{
    {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// `body` is what stands between '&' and ';'.
std::optional<std::uint32_t> numericReference(std::string_view body) {
    if (body.size() < 2 || body[0] != '#') return std::nullopt;
    int base = 10;
    body.remove_prefix(1);
    if (body[0] == 'x' || body[0] == 'X') {
        base = 16;
        body.remove_prefix(1);
    }
    std::uint32_t cp = 0;
    auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), cp, base);
    if (body.empty() || ec != std::errc() || end != body.data() + body.size()) return std::nullopt;
    bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    if (cp == 0 || cp > 0x10FFFF || surrogate) return std::nullopt;
    return cp;
}

// Appends the entity at the front of `text` (which starts with '&') and returns its length,
// or 0 when none starts there.
std::size_t decodeEntity(std::string_view text, std::string& out) {
    // Only the next 13 characters can hold the end of an entity: looking further would make a
    // text full of "&" cost time in the square of its length.
    std::size_t semicolon = text.substr(0, 13).find(';');
    if (semicolon == std::string_view::npos) return 0;
    std::string_view body = text.substr(1, semicolon - 1);
    for (const auto& entity : kNamed) {
        if (body != entity.name) continue;
        out += entity.character;
        return semicolon + 1;
    }
    auto cp = numericReference(body);
    if (!cp) return 0;
    appendUtf8(out, *cp);
    return semicolon + 1;
}

}  // namespace

std::string escapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string decodeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t used = text[i] == '&' ? decodeEntity(text.substr(i), out) : 0;
        if (used == 0) out += text[i++];
        i += used;
    }
    return out;
}

}  // namespace controls
