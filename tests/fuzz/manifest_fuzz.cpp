// Fuzzes the parse of remote manifests (the body fetchRemoteVersion receives) and of the
// same text as a local manifest.
#include <cstdint>
#include <string>

#include "update/manifest/manifest.h"
#include "update/xml/tinyxml_document.h"

namespace {

void check(bool holds) {
    if (!holds) __builtin_trap();
}

void checkParsed(const update::VersionInfo& info) {
    for (const update::FileEntry& entry : info.files) {
        check(entry.path == entry.position + entry.name);
        check(!entry.name.empty() && entry.name.front() != '/' && entry.name.front() != '\\');
        check(entry.name != ".." && !entry.name.starts_with("../") &&
              entry.name.find("/../") == std::string::npos && !entry.name.ends_with("/.."));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    update::VersionInfo remote;
    const bool parsed = update::parseRemoteVersion(text, remote);
    check(parsed == remote.valid);
    if (parsed) checkParsed(remote);

    update::TinyXmlDocument document;
    update::VersionInfo local;
    if (document.loadString(text) && update::parseVersionInfo(*document.root(), local)) {
        checkParsed(local);
        check(!update::needsUpdate(local, local));
    }
    return 0;
}
