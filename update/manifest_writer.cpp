#include "update/manifest_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "update/manifest.h"
#include "update/tinyxml_document.h"

namespace update {

namespace {

constexpr const char* kManifestName = "version.xml";
// How the temporary files of `TinyXmlDocument::saveFile` begin ("version.xml.tmp-XXXXXX");
// one left by a crashed run is no release file.
constexpr std::string_view kManifestTemporary = "version.xml.tmp";

// Decimal digits only, within the signed 32-bit range the manifest's reader keeps.
bool isNumber(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && text.front() != '-' && error == std::errc() &&
           end == text.data() + text.size();
}

// `count` numbers joined by dots.
bool isDottedNumbers(std::string_view text, int count) {
    for (int piece = 1; piece < count; ++piece) {
        const std::size_t dot = text.find('.');
        if (dot == std::string_view::npos || !isNumber(text.substr(0, dot))) return false;
        text.remove_prefix(dot + 1);
    }
    return isNumber(text);
}

void append(XmlDocument& document, XmlElement& parent, const char* name, const std::string& text) {
    parent.appendChild(document.createElement(name)->setText(text.c_str()));
}

XmlElement* fileElement(XmlDocument& document, const ReleaseFile& file) {
    XmlElement* element = document.createElement("file");
    append(document, *element, "position", "");
    append(document, *element, "name", file.name);
    append(document, *element, "md5-code", file.md5);
    append(document, *element, "length", std::to_string(file.length));
    return element;
}

void buildManifest(XmlDocument& document, const ReleaseVersion& version,
                   const std::vector<ReleaseFile>& files) {
    XmlElement* latest = document.createElement("latest-ver");
    append(document, *latest, "update-no", version.updateNo);
    if (!version.flashNo.empty()) append(document, *latest, "flash-no", version.flashNo);
    append(document, *latest, "no", version.no);
    XmlElement* list = document.createElement("files");
    for (const ReleaseFile& file : files) list->appendChild(fileElement(document, file));
    latest->appendChild(list);
    document.setRoot(document.createElement("root"))->appendChild(latest);
}

bool sameFile(const FileEntry& read, const ReleaseFile& written) {
    return read.position.empty() && read.name == written.name && read.md5 == written.md5 &&
           read.length >= 0 && static_cast<std::uint64_t>(read.length) == written.length;
}

// The reader condenses white space and may refuse names: what it would not read back as
// written must not be published.
void checkReadsBack(const std::string& text, const std::vector<ReleaseFile>& files) {
    VersionInfo info;
    if (!parseRemoteVersion(text, info) || info.files.size() != files.size()) {
        throw ReleaseError("the manifest does not read back");
    }
    const auto written =
        std::mismatch(info.files.begin(), info.files.end(), files.begin(), sameFile).second;
    if (written != files.end()) {
        throw ReleaseError(written->name + ": name does not read back from the manifest as " +
                           "written (white space at its ends or in a row?)");
    }
}

}  // namespace

std::string releaseVersionProblem(const ReleaseVersion& version) {
    if (!isNumber(version.updateNo)) {
        return "update-no must be a whole number from 0 to 2147483647: " + version.updateNo;
    }
    if (!isDottedNumbers(version.no, 3)) {
        return "no must be three numbers major.minor.build: " + version.no;
    }
    if (!version.flashNo.empty() && !isDottedNumbers(version.flashNo, 2)) {
        return "flash-no must be two numbers major.minor: " + version.flashNo;
    }
    return {};
}

std::string manifestText(const ReleaseVersion& version, const std::vector<ReleaseFile>& files) {
    TinyXmlDocument document;
    buildManifest(document, version, files);
    return document.toString(1);
}

std::size_t writeReleaseManifest(const std::filesystem::path& releaseDir,
                                 const ReleaseVersion& version) {
    const std::string problem = releaseVersionProblem(version);
    if (!problem.empty()) throw ReleaseError(problem);
    std::vector<ReleaseFile> files = listReleaseFiles(releaseDir, {kManifestName});
    std::erase_if(files, [](const ReleaseFile& file) {
        return file.name.starts_with(kManifestTemporary) &&
               file.name.find('/') == std::string::npos;
    });
    TinyXmlDocument document;
    buildManifest(document, version, files);
    checkReadsBack(document.toString(1), files);
    const std::string path = (releaseDir / kManifestName).string();
    if (!document.saveFile(path.c_str(), 1)) throw ReleaseError(path + ": cannot be written");
    return files.size();
}

}  // namespace update
