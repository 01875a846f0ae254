#include "update/manifest/manifest_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "platform/os/file_replace.h"
#include "update/manifest/manifest.h"
#include "update/manifest/release_folder.h"
#include "update/xml/tinyxml_document.h"

namespace update {

namespace {

constexpr const char* kManifestName = "version.xml";
constexpr const char* kSignatureName = "version.xml.sig";

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

XmlElement* fileElement(XmlDocument& document, const ReleaseFile& file,
                        const std::string& position) {
    XmlElement* element = document.createElement("file");
    append(document, *element, "position", position);
    append(document, *element, "name", file.name);
    append(document, *element, "md5-code", file.md5);
    append(document, *element, "length", std::to_string(file.length));
    if (!file.sha256.empty()) append(document, *element, "sha256", file.sha256);
    return element;
}

void buildManifest(XmlDocument& document, const ReleaseVersion& version,
                   const std::vector<ReleaseFile>& files, const std::string& position) {
    XmlElement* latest = document.createElement("latest-ver");
    append(document, *latest, "update-no", version.updateNo);
    if (!version.flashNo.empty()) append(document, *latest, "flash-no", version.flashNo);
    append(document, *latest, "no", version.no);
    XmlElement* list = document.createElement("files");
    for (const ReleaseFile& file : files) {
        list->appendChild(fileElement(document, file, position));
    }
    latest->appendChild(list);
    document.setRoot(document.createElement("root"))->appendChild(latest);
}

bool sameFile(const FileEntry& read, const ReleaseFile& written) {
    return read.name == written.name && read.md5 == written.md5 && read.sha256 == written.sha256 &&
           read.length >= 0 && static_cast<std::uint64_t>(read.length) == written.length;
}

// The reader condenses white space and may refuse names: what it would not read back as
// written must not be published.
void checkReadsBack(const std::string& text, const std::vector<ReleaseFile>& files,
                    const std::string& position) {
    VersionInfo info;
    if (!parseRemoteVersion(text, info) || info.files.size() != files.size() ||
        !std::all_of(info.files.begin(), info.files.end(),
                     [&](const FileEntry& read) { return read.position == position; })) {
        throw ReleaseError("the manifest does not read back");
    }
    const auto written =
        std::mismatch(info.files.begin(), info.files.end(), files.begin(), sameFile).second;
    if (written != files.end()) {
        throw ReleaseError(written->name + ": name does not read back from the manifest as " +
                           "written (white space at its ends or in a row?)");
    }
}

// The temporary files that replacing the manifest or its signature makes beside them
// ("version.xml.tmp-XXXXXX"); one left by a crashed run is no release file.
bool isTemporaryOfOurs(const ReleaseFile& file) {
    return file.name.find('/') == std::string::npos &&
           (file.name.starts_with(std::string(kManifestName) + ".tmp") ||
            file.name.starts_with(std::string(kSignatureName) + ".tmp"));
}

// A key file in the release would be served to everyone; even a crashed run's temporary name
// is no hiding place, so the whole listing is checked.
void refuseKeyFile(const std::vector<ReleaseFile>& files, const FileMark& keyFile) {
    for (const ReleaseFile& file : files) {
        const std::string problem = markedFileProblem(file, keyFile);
        if (!problem.empty()) throw ReleaseError(problem);
    }
}

// The server serves the old file or the whole new one, never a part.
void writeReplacing(const std::filesystem::path& path, const std::string& text) {
    if (!platform::replaceFileContent(path.string(), text)) {
        throw ReleaseError(path.string() + ": cannot be written");
    }
}

// The signature file of `text`, checked against the key's own public half before it goes out.
std::string signatureText(const std::string& text, const SecretKey& key) {
    const Signature signature = signMessage(text, key);
    if (!verifySignature(text, signature, publicKeyOf(key))) {
        throw ReleaseError("the signature of the manifest does not verify");
    }
    return encodeSignature(signature);
}

// The files go up first, into their own folder: a folder that is not there yet is a step of the
// publishing left out, not a release of no files.
void refuseFolder(const std::filesystem::path& releaseDir, const std::string& filesUnder) {
    const std::string problem = releaseFolderProblem(filesUnder);
    if (!problem.empty()) throw ReleaseError(filesUnder + ": " + problem);
    std::error_code error;
    if (!std::filesystem::is_directory(releaseDir / filesUnder, error)) {
        throw ReleaseError((releaseDir / filesUnder).string() +
                           ": no such folder; copy the release's files there first");
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

std::string manifestText(const ReleaseVersion& version, const std::vector<ReleaseFile>& files,
                         const std::string& position) {
    TinyXmlDocument document;
    buildManifest(document, version, files, position);
    return document.toString(1);
}

std::size_t writeReleaseManifest(const std::filesystem::path& releaseDir,
                                 const ReleaseVersion& version, const std::string& filesUnder,
                                 const SecretKey* signingKey, const FileMark* keyFile) {
    const std::string problem = releaseVersionProblem(version);
    if (!problem.empty()) throw ReleaseError(problem);
    const std::string position = filesUnder.empty() ? "" : releaseFolderPosition(filesUnder);
    if (!position.empty()) refuseFolder(releaseDir, filesUnder);
    std::vector<ReleaseFile> files = listReleaseFiles(
        releaseDir / position, {kManifestName, kSignatureName}, signingKey != nullptr);
    if (keyFile) refuseKeyFile(files, *keyFile);
    std::erase_if(files, isTemporaryOfOurs);
    // The bytes checked, written and signed are one and the same text.
    const std::string text = manifestText(version, files, position);
    checkReadsBack(text, files, position);
    const std::string signatureFile = signingKey ? signatureText(text, *signingKey) : std::string();
    writeReplacing(releaseDir / kManifestName, text);
    if (signingKey) writeReplacing(releaseDir / kSignatureName, signatureFile);
    return files.size();
}

}  // namespace update
