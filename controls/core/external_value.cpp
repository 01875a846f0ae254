#include "controls/core/external_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "controls/core/xml_text.h"

namespace controls {
namespace {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

std::string propertiesXml(const char* tag, const ExternalObject& properties) {
    std::string out = std::string("<") + tag + ">";
    for (const auto& [id, value] : properties) {
        out += "<property id=\"" + escapeXml(id) + "\">" + toReplyXml(value) + "</property>";
    }
    return out + "</" + tag + ">";
}

ExternalObject indexed(const ExternalArray& items) {
    ExternalObject properties;
    for (std::size_t i = 0; i < items.size(); ++i) {
        properties.push_back({std::to_string(i), items[i]});
    }
    return properties;
}

// The escape of a character a JavaScript string literal may not hold as it is, or nullptr.
// '<' is escaped so that the literal never closes a <script> it sits in.
const char* jsEscape(unsigned char c) {
    static constexpr const char* kNamed[][2] = {
        {"\"", "\\\""}, {"\\", "\\\\"}, {"\n", "\\n"}, {"\r", "\\r"}, {"<", "\\x3C"}};
    for (const auto& named : kNamed) {
        if (c == static_cast<unsigned char>(named[0][0])) return named[1];
    }
    return nullptr;
}

void appendJsChar(std::string& out, unsigned char c) {
    if (const char* escape = jsEscape(c)) {
        out += escape;
    } else if (c < 0x20) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
        out += escaped;
    } else {
        out += static_cast<char>(c);
    }
}

// JSON-style quoting; U+2028 and U+2029 are escaped because older engines end lines there.
std::string jsString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool lineSeparator = text.compare(i, 2, "\xE2\x80") == 0 && i + 2 < text.size() &&
                             (text[i + 2] == '\xA8' || text[i + 2] == '\xA9');
        if (lineSeparator) {
            out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            appendJsChar(out, static_cast<unsigned char>(text[i]));
        }
    }
    return out + "\"";
}

std::string jsObject(const ExternalObject& properties) {
    std::string out = "{";
    for (const auto& [id, value] : properties) {
        if (out.size() > 1) out += ",";
        out += jsString(id) + ":" + toJsLiteral(value);
    }
    return out + "}";
}

std::string jsArray(const ExternalArray& items) {
    std::string out = "[";
    for (const auto& item : items) {
        if (out.size() > 1) out += ",";
        out += toJsLiteral(item);
    }
    return out + "]";
}

}  // namespace

std::string formatNumber(double number) {
    if (std::isnan(number)) return "NaN";
    if (std::isinf(number)) return number > 0 ? "Infinity" : "-Infinity";
    if (number == 0) return "0";  // also for -0, as Flash prints it
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, number);
    return ec == std::errc() ? std::string(text, end) : "NaN";
}

std::string toReplyXml(const ExternalValue& value) {
    return std::visit(
        Overloaded{
            [](Undefined) -> std::string { return "<undefined/>"; },
            [](Null) -> std::string { return "<null/>"; },
            [](bool b) -> std::string { return b ? "<true/>" : "<false/>"; },
            [](double d) { return "<number>" + formatNumber(d) + "</number>"; },
            [](const std::string& s) { return "<string>" + escapeXml(s) + "</string>"; },
            [](const ExternalArray& a) { return propertiesXml("array", indexed(a)); },
            [](const ExternalObject& o) { return propertiesXml("object", o); },
        },
        value.v);
}

std::string toJsLiteral(const ExternalValue& value) {
    return std::visit(Overloaded{
                          [](Undefined) -> std::string { return "undefined"; },
                          [](Null) -> std::string { return "null"; },
                          [](bool b) -> std::string { return b ? "true" : "false"; },
                          [](double d) {
                              return std::isfinite(d) ? "(" + formatNumber(d) + ")"
                                                      : formatNumber(d);
                          },
                          [](const std::string& s) { return jsString(s); },
                          [](const ExternalArray& a) { return jsArray(a); },
                          [](const ExternalObject& o) { return jsObject(o); },
                      },
                      value.v);
}

}  // namespace controls
