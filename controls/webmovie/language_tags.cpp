#include "controls/webmovie/language_tags.h"

#include <algorithm>

namespace controls::webmovie {
namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAlnum(char c) { return isAlpha(c) || (c >= '0' && c <= '9'); }

// "ll" or "lll", then optionally "_RR"; nothing else makes a tag here.
std::string tagOf(const std::string& locale) {
    std::string name = locale.substr(0, locale.find_first_of(".@"));
    std::size_t underscore = name.find('_');
    std::string language = name.substr(0, underscore);
    if (language.size() < 2 || language.size() > 3) return {};
    if (!std::all_of(language.begin(), language.end(), isAlpha)) return {};
    if (underscore == std::string::npos) return language;
    std::string region = name.substr(underscore + 1);
    if (region.empty() || !std::all_of(region.begin(), region.end(), isAlnum)) return {};
    return language + "-" + region;
}

}  // namespace

std::vector<std::string> webLanguages(const std::vector<std::string>& localeNames) {
    std::vector<std::string> tags;
    for (const auto& locale : localeNames) {
        std::string tag = tagOf(locale);
        if (!tag.empty() && std::find(tags.begin(), tags.end(), tag) == tags.end()) {
            tags.push_back(tag);
        }
    }
    if (std::find(tags.begin(), tags.end(), "en-US") == tags.end()) tags.push_back("en-US");
    return tags;
}

}  // namespace controls::webmovie
