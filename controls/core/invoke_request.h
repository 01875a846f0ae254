// The requests a host sends through CallFunction, in the ExternalInterface XML:
// `<invoke name="f" returntype="xml"><arguments><string>a</string><number>1</number></arguments>
// </invoke>`. One parser for every movie control.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/core/external_value.h"

namespace controls {

// Bounds of a request. A request beyond any of them is refused as a malformed one is, before
// anything of it reaches a movie: a host cannot make a control recurse or allocate without
// limit, whatever it passes on.
constexpr std::size_t kMaxRequestBytes = std::size_t{16} << 20;  // 16 MiB of request text
constexpr int kMaxRequestNesting = 16;             // <array>/<object> inside one another
constexpr std::size_t kMaxRequestValues = 100000;  // argument values, nested ones included

struct InvokeRequest {
    std::string name;
    std::vector<ExternalValue> arguments;
};

// Parses a request. Attributes of <invoke> come in any order, quoted with " or ', with blanks
// around them; only `name` (non-empty, entities decoded) is used. Arguments may be string,
// number, true, false, null, undefined, array and object. Hosts escape the text of a <string>;
// one that does not is still read: a <string> holds everything up to the next `</string>`, raw
// `<` and `&` included, and entities in it are decoded. Pure; any thread.
// Returns nullopt with `error` set when the text is not such a request or exceeds the bounds.
std::optional<InvokeRequest> parseInvokeRequest(std::string_view request, std::string* error);

}  // namespace controls
