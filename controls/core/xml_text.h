// The escaping of text inside the ExternalInterface XML.
#pragma once

#include <string>
#include <string_view>

namespace controls {

// Escapes the five XML special characters.
std::string escapeXml(std::string_view text);

// Decodes the five named entities and numeric references (`&#38;`, `&#x26;`). Hosts do not
// escape what they send, so an `&` that starts no complete entity is kept as it is.
std::string decodeXmlText(std::string_view text);

}  // namespace controls
