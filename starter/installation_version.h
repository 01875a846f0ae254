// The update number an installation's own version.xml states.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace starter {

// The `update-no` of `<dir>/version.xml` (the root's child, converted as the launcher converts
// it), or none when the file is missing, a link or not a regular file, larger than an XML file
// may be, not XML, or has no `update-no`.
std::optional<std::int32_t> installedUpdateNo(const std::filesystem::path& dir);

}  // namespace starter
