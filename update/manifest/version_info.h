// A parsed version manifest ("version.xml"): the version it describes and its files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace update {

struct FileEntry {
    std::string position;  // folder on the server below `server.path`
    std::string name;      // path below the installation directory, "/" between folders
    std::string path;      // position followed directly by name
    std::int64_t length = 0;
    std::string md5;     // 32 lower-case hexadecimal digits
    std::string sha256;  // 64 lower-case hexadecimal digits, or empty when the manifest has none
};

struct VersionInfo {
    std::int32_t updateNo = 0;
    std::string versionText;  // major.minor.build as written
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t build = 0;
    std::int32_t flashMajor = 0;  // the Flash Player version required; 0.0 when not given
    std::int32_t flashMinor = 0;
    std::vector<FileEntry> files;
    bool valid = false;  // set only by a parse that completed
};

}  // namespace update
