// A bound on how deeply the elements of an XML text nest, found without parsing it.
//
// TinyXML parses, copies and frees element trees by recursion, so a text of a few megabytes of
// nested tags would exhaust the stack. Texts are measured here first and refused above a depth
// that no file of the launcher comes near.
#pragma once

#include <string_view>

namespace update {

inline constexpr int kMaxXmlDepth = 256;

// An upper bound of the element depth TinyXML reaches while parsing `text` (exact for
// well-formed text). Comments, CDATA sections, declarations and other markup are skipped as
// TinyXML skips them; quoted attribute values inside a tag are skipped too.
int xmlDepthBound(std::string_view text);

}  // namespace update
