// The requests a host sends through CallFunction, in the ExternalInterface XML:
// `<invoke name="f" returntype="xml"><arguments><string>a</string><number>1</number></arguments>
// </invoke>`.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/webmovie/external_value.h"

namespace controls::webmovie {

struct InvokeRequest {
    std::string name;
    std::vector<ExternalValue> arguments;
};

// Parses a request. Attributes of <invoke> come in any order, quoted with " or ', with blanks
// around them; only `name` (non-empty) is used. Arguments may be string, number, true, false,
// null, undefined, array and object. Hosts do not escape string arguments, so a <string> holds
// everything up to the next `</string>`, raw `<` and `&` included; entities in it are decoded.
// Returns nullopt with `error` set when the text is not such a request.
std::optional<InvokeRequest> parseInvokeRequest(std::string_view request, std::string* error);

}  // namespace controls::webmovie
