// The requests a host sends through CallFunction: the ExternalInterface XML
// `<invoke name="..." returntype="..."><arguments>...</arguments></invoke>`.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace controls::scriptmovie {

// The name attribute of an invoke request, as written (no entity decoding), or nullopt when
// the text is not an invoke element with a non-empty name. Attributes may come in any order,
// quoted with " or ', with blanks around them (`<invoke name="x" >` is common).
std::optional<std::string> invokeRequestName(std::string_view request);

}  // namespace controls::scriptmovie
