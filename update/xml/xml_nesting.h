// Bounds on how deeply the elements of an XML text nest and on how many nodes and attributes
// it holds, found without parsing it.
//
// TinyXML parses, copies and frees element trees by recursion, so a text of a few megabytes of
// nested tags would exhaust the stack; it keeps some hundred bytes for every node, so
// 64 MiB of short elements grew to gigabytes; and it compares each attribute
// with the tag's earlier ones, so a tag of many attributes took hours. Texts are measured here
// first and refused above bounds that no file of the launcher comes near.
#pragma once

#include <cstddef>
#include <string_view>

namespace update {

inline constexpr int kMaxXmlDepth = 256;
// Elements, attributes, comments and other markup together in one text.
inline constexpr std::size_t kMaxXmlNodes = 200000;
// Attributes of one element.
inline constexpr std::size_t kMaxXmlAttributes = 256;

struct XmlShape {
    int depth = 0;                   // as xmlDepthBound
    std::size_t nodes = 0;           // at least the elements, attributes and other markup
    std::size_t mostAttributes = 0;  // at least the attributes of the element with the most
};

// Upper bounds of the depth, the nodes (texts aside: at most one follows each tag or other
// markup) and the attributes of one element that TinyXML reaches while parsing `text`,
// skipping markup as xmlDepthBound does.
XmlShape xmlShapeBound(std::string_view text);

// Whether `text` stays within `maxDepth` (at most kMaxXmlDepth), kMaxXmlNodes and
// kMaxXmlAttributes as xmlShapeBound measures it: the check every TinyXML parse of a text from
// outside makes first. A caller whose texts are flat may ask for less depth.
bool xmlWithinBounds(std::string_view text, int maxDepth = kMaxXmlDepth);

// An upper bound of the element depth TinyXML reaches while parsing `text` (exact for
// well-formed text). Comments, CDATA sections, declarations and other markup are skipped as
// TinyXML skips them; quoted attribute values inside a tag are skipped too.
int xmlDepthBound(std::string_view text);

}  // namespace update
