#include "update/manifest/release_folder.h"

#include <algorithm>

namespace update {

namespace {

bool isPlainCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_' || c == '~';
}

std::string segmentProblem(std::string_view segment) {
    if (segment.empty()) return "an empty segment (\"//\" or a \"/\" at its start)";
    if (segment == "." || segment == "..") return "a \".\" or \"..\" segment";
    if (!std::all_of(segment.begin(), segment.end(), isPlainCharacter)) {
        return "a character other than letters, digits, \".\", \"-\", \"_\" and \"~\"";
    }
    return {};
}

}  // namespace

std::string releaseFolderProblem(std::string_view folder) {
    if (folder.ends_with('/')) folder.remove_suffix(1);
    if (folder.empty()) return "the folder is empty";
    const std::string_view first = folder.substr(0, folder.find('/'));
    if (first == "version.xml" || first == "version.xml.sig") {
        return "the folder would take the place of the manifest or its signature";
    }
    while (true) {
        const std::size_t slash = folder.find('/');
        const std::string problem = segmentProblem(folder.substr(0, slash));
        if (!problem.empty()) return "the folder holds " + problem;
        if (slash == std::string_view::npos) return {};
        folder.remove_prefix(slash + 1);
    }
}

std::string releaseFolderPosition(std::string_view folder) {
    std::string position(folder);
    if (!position.ends_with('/')) position += '/';
    return position;
}

}  // namespace update
