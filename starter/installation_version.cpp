#include "starter/installation_version.h"

#include <tinyxml.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "update/xml/xml_nesting.h"

namespace starter {
namespace {

// A local version.xml holds a few elements (a file list at most); anything far larger is not one.
constexpr std::uintmax_t kMaxVersionFileBytes = 4 << 20;

std::optional<std::string> readSmallFile(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(file, error);
    if (error || !std::filesystem::is_regular_file(status)) return std::nullopt;
    if (std::filesystem::file_size(file, error) > kMaxVersionFileBytes || error) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

}  // namespace

std::optional<std::int32_t> installedUpdateNo(const std::filesystem::path& dir) {
    const auto text = readSmallFile(dir / "version.xml");
    if (!text || !update::xmlWithinBounds(*text, 8)) return std::nullopt;
    TiXmlDocument document;
    document.Parse(text->c_str());
    if (document.Error() || document.RootElement() == nullptr) return std::nullopt;
    const TiXmlElement* number = document.RootElement()->FirstChildElement("update-no");
    if (number == nullptr) return std::nullopt;
    const char* digits = number->GetText();
    return static_cast<std::int32_t>(std::atoi(digits != nullptr ? digits : ""));
}

}  // namespace starter
