#include "tests/starter/seed_tree.h"

#include <set>

#include "tests/support/headless_fixture.h"

namespace starter_test {
namespace fs = std::filesystem;

std::string versionXml(std::int32_t updateNo) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<ver>\n    <no>2.0." +
           std::to_string(updateNo) + "</no>\n    <update-no>" + std::to_string(updateNo) +
           "</update-no>\n</ver>\n";
}

void writeSeed(const fs::path& dir, std::int32_t updateNo, const std::string& launcher,
               int bulkFiles, std::size_t bulkBytes) {
    fs::create_directories(dir / "data");
    test_support::writeFile(dir / "VexoClient.exe", launcher);
    fs::permissions(dir / "VexoClient.exe", fs::perms(0755));
    test_support::writeFile(dir / "version.xml", versionXml(updateNo));
    test_support::writeFile(dir / "libwebmovie.so",
                            "control of update " + std::to_string(updateNo));
    for (int i = 0; i < bulkFiles; ++i) {
        test_support::writeFile(dir / "data" / ("part" + std::to_string(i)),
                                std::string(bulkBytes, static_cast<char>('a' + i % 26)));
    }
}

namespace {

std::set<std::string> relativeNames(const fs::path& root) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        names.insert(entry.path().lexically_relative(root).string());
    }
    return names;
}

}  // namespace

bool sameTree(const fs::path& seed, const fs::path& installation) {
    if (!fs::is_directory(installation)) return false;
    const auto names = relativeNames(seed);
    if (names != relativeNames(installation)) return false;
    for (const auto& name : names) {
        if (fs::is_regular_file(seed / name) &&
            test_support::readFile(seed / name) != test_support::readFile(installation / name)) {
            return false;
        }
    }
    return true;
}

}  // namespace starter_test
