#include "update/manifest/manifest.h"

#include <string_view>
#include <vector>

#include "common/console.h"
#include "update/config/decimal.h"
#include "update/digest/digest_text.h"
#include "update/manifest/manifest_path.h"
#include "update/xml/tinyxml_document.h"

namespace update {

namespace {

std::string textOf(const XmlElement* element) {
    const char* text = element ? element->text() : nullptr;
    return text ? text : "";
}

// Pieces between dots; empty pieces count, so there is always one more piece than dots.
std::vector<std::string_view> splitAtDots(std::string_view text) {
    std::vector<std::string_view> pieces;
    for (std::size_t dot = text.find('.'); dot != std::string_view::npos; dot = text.find('.')) {
        pieces.push_back(text.substr(0, dot));
        text.remove_prefix(dot + 1);
    }
    pieces.push_back(text);
    return pieces;
}

bool readUpdateNo(const XmlElement& element, VersionInfo& info) {
    const XmlElement* updateNo = element.firstChild("update-no");
    if (!updateNo) {
        consoleLog("latest-ver->update-no节点不存在!");
        return false;
    }
    info.updateNo = toInt32(textOf(updateNo));
    return true;
}

bool readFlashVersion(const XmlElement& element, VersionInfo& info) {
    const XmlElement* flashNo = element.firstChild("flash-no");
    if (!flashNo) return true;
    const std::string text = textOf(flashNo);
    const std::vector<std::string_view> pieces = splitAtDots(text);
    if (pieces.size() != 2) {
        consoleLog("版本号(latest-ver->flash-no)格式不对!");
        return false;
    }
    info.flashMajor = toInt32(pieces[0]);
    info.flashMinor = toInt32(pieces[1]);
    return true;
}

bool readVersionNo(const XmlElement& element, VersionInfo& info) {
    const XmlElement* no = element.firstChild("no");
    if (!no) {
        consoleLog("latest-ver->no节点不存在!");
        return false;
    }
    info.versionText = textOf(no);
    consoleLogf("ver.no is %s", info.versionText);
    const std::vector<std::string_view> pieces = splitAtDots(info.versionText);
    consoleLogf("ver.no is entry count is %d", static_cast<std::int32_t>(pieces.size()));
    if (pieces.size() != 3) {
        consoleLog("版本号(latest-ver->no)格式不对!");
        return false;
    }
    info.major = toInt32(pieces[0]);
    info.minor = toInt32(pieces[1]);
    info.build = toInt32(pieces[2]);
    consoleLogf("主版本号:%d", info.major);
    consoleLogf("次版本号:%d", info.minor);
    consoleLogf("构建码:%d", info.build);
    return true;
}

// The optional SHA-256 must have its one form: a text that can never match would only fail the
// download later.
bool readSha256(const XmlElement& file, FileEntry& entry) {
    const XmlElement* sha256 = file.firstChild("sha256");
    if (!sha256) return true;
    entry.sha256 = textOf(sha256);
    if (isDigestText(entry.sha256, 64)) return true;
    consoleLogf("parseVersionInfo:malformed sha256 of %s", entry.name);
    return false;
}

// A file element lacking one of its four children, or naming a path outside the
// installation, makes the whole manifest unusable rather than installing half of it.
bool readFileEntry(const XmlElement& file, FileEntry& entry) {
    static const char* const kChildren[] = {"position", "name", "md5-code", "length"};
    const XmlElement* found[4] = {};
    for (int i = 0; i < 4; ++i) {
        found[i] = file.firstChild(kChildren[i]);
        if (!found[i]) {
            consoleLogf("parseVersionInfo:file element without %s", kChildren[i]);
            return false;
        }
    }
    entry.position = textOf(found[0]);
    entry.name = textOf(found[1]);
    entry.md5 = textOf(found[2]);
    entry.path = entry.position + entry.name;
    entry.length = toInt64(textOf(found[3]));
    // The name is stored below "update/" and copied over the installation, the position is
    // requested below the server path: both must stay inside.
    if (!isContainedPath(entry.name, false)) {
        consoleLogf("parseVersionInfo:unsafe file name %s", entry.name);
        return false;
    }
    if (!isContainedPath(entry.position, true)) {
        consoleLogf("parseVersionInfo:unsafe file position %s", entry.position);
        return false;
    }
    return readSha256(file, entry);
}

bool readFiles(const XmlElement& element, VersionInfo& info) {
    const XmlElement* files = element.firstChild("files");
    if (!files) return true;
    info.files.clear();
    info.files.reserve(files->children().size());
    for (const XmlElement* file : files->children()) {
        info.files.emplace_back();
        if (!readFileEntry(*file, info.files.back())) return false;
    }
    consoleLogf("预更新的文件数量:%d", static_cast<std::int32_t>(info.files.size()));
    consoleLog("所有预下载的文件信息:");
    for (const FileEntry& entry : info.files) consoleLog(entry.path);
    return true;
}

}  // namespace

bool parseVersionInfo(const XmlElement& element, VersionInfo& info) {
    info.valid = false;
    if (!readUpdateNo(element, info) || !readFlashVersion(element, info) ||
        !readVersionNo(element, info) || !readFiles(element, info)) {
        return false;
    }
    info.valid = true;
    return true;
}

bool parseRemoteVersion(const std::string& text, VersionInfo& info) {
    TinyXmlDocument document;
    if (!document.loadString(text)) {
        consoleLog("remote version.xml文件格式错误!");
        return false;
    }
    const XmlElement* latest = document.root()->firstChild("latest-ver");
    if (!latest) {
        consoleLog("latest-ver节点不存在!");
        return false;
    }
    return parseVersionInfo(*latest, info);
}

bool loadLocalVersion(VersionInfo& info, const char* path) {
    TinyXmlDocument document;
    if (!document.loadFile(path)) {
        consoleLog("local version.xml文件格式错误!");
        return false;
    }
    return parseVersionInfo(*document.root(), info);
}

bool saveLocalVersion(const VersionInfo& remote, const char* path) {
    TinyXmlDocument document;
    XmlElement* ver = document.createElement("ver");
    XmlElement* no = document.createElement("no");
    XmlElement* updateNo = document.createElement("update-no");
    ver->appendChild(no->setText(remote.versionText.c_str()));
    ver->appendChild(updateNo->setText(std::to_string(remote.updateNo).c_str()));
    document.setRoot(ver);
    return document.saveFile(path, 1);
}

bool needsUpdate(const VersionInfo& remote, const VersionInfo& local) {
    return remote.valid && local.updateNo < remote.updateNo;
}

}  // namespace update
