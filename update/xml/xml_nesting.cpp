#include "update/xml/xml_nesting.h"

#include <algorithm>

namespace update {

namespace {

constexpr auto npos = std::string_view::npos;

// TinyXML starts an element at "<" followed by an ASCII letter, "_" or any byte above 126.
bool startsElement(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_' ||
           byte >= 127;
}

// Index just past `terminator` at or after `from`, or npos.
std::size_t skipPast(std::string_view text, std::size_t from, std::string_view terminator) {
    const std::size_t at = text.find(terminator, from);
    return at == npos ? npos : at + terminator.size();
}

// From just after "<name": the index past the tag's ">", or npos; `empty` tells "/>", and
// `equals` counts the "=" outside quoted values, at least the tag's number of attributes.
std::size_t skipTag(std::string_view text, std::size_t i, bool& empty, std::size_t& equals) {
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            i = text.find(c, i + 1);
            if (i == npos) return npos;
        } else if (c == '=') {
            ++equals;
        } else if (c == '>') {
            empty = text[i - 1] == '/';
            return i + 1;
        }
    }
    return npos;
}

}  // namespace

XmlShape xmlShapeBound(std::string_view text) {
    XmlShape shape;
    int depth = 0;
    std::size_t i = text.find('<');
    while (i != npos && i + 1 < text.size()) {
        const std::string_view rest = text.substr(i);
        const char next = rest[1];
        // Every construct but a closing tag may become a node; its text after it another.
        if (next != '/') ++shape.nodes;
        if (rest.starts_with("<!--")) {
            i = skipPast(text, i + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            i = skipPast(text, i + 9, "]]>");
        } else if (next == '/') {
            depth = std::max(depth - 1, 0);
            i += 2;
        } else if (startsElement(next)) {
            shape.depth = std::max(shape.depth, ++depth);
            bool empty = false;
            std::size_t attributes = 0;
            i = skipTag(text, i + 2, empty, attributes);
            shape.nodes += attributes;
            shape.mostAttributes = std::max(shape.mostAttributes, attributes);
            if (empty) --depth;
        } else {
            i = skipPast(text, i + 1, ">");  // declarations, "<!" markup, stray "<"
        }
        if (i != npos) i = text.find('<', i);
    }
    return shape;
}

bool xmlWithinBounds(std::string_view text, int maxDepth) {
    const XmlShape shape = xmlShapeBound(text);
    return shape.depth <= std::min(maxDepth, kMaxXmlDepth) && shape.nodes <= kMaxXmlNodes &&
           shape.mostAttributes <= kMaxXmlAttributes;
}

int xmlDepthBound(std::string_view text) { return xmlShapeBound(text).depth; }

}  // namespace update
