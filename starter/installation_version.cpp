#include "starter/installation_version.h"

#include <system_error>

#include "update/config/decimal.h"
#include "update/xml/tinyxml_document.h"

namespace starter {

std::optional<std::int32_t> installedUpdateNo(const std::filesystem::path& dir) {
    const std::filesystem::path file = dir / "version.xml";
    // A link could name any file of the user's; the launcher writes a plain file.
    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(file, error))) {
        return std::nullopt;
    }
    update::TinyXmlDocument document;
    if (!document.loadFile(file.c_str())) return std::nullopt;
    const update::XmlElement* number = document.root()->firstChild("update-no");
    if (number == nullptr) return std::nullopt;
    const char* text = number->text();
    return update::toInt32(text != nullptr ? text : "");
}

}  // namespace starter
