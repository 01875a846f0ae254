// vexo-register-control <library> [<clsid>]: registers a movie control library under the Flash
// control's class (or the one given) in the user's registry file ($VEXO_REGISTRY or the
// default), keeping everything else in the file.
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/registry.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <library> [<clsid>]\n", argv[0]);
        return 2;
    }
    std::error_code error;
    const auto library = std::filesystem::absolute(argv[1], error);
    if (error || !std::filesystem::is_regular_file(library)) {
        std::fprintf(stderr, "%s: no such library: %s\n", argv[0], argv[1]);
        return 1;
    }
    const std::string clsid = argc == 3 ? argv[2] : "{D27CDB6E-AE6D-11CF-96B8-444553540000}";
    const std::string path = platform::registryPath();
    platform::Registry registry = platform::Registry::load(path);
    registry.setValue("HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\InprocServer32", "",
                      library.string());
    if (!registry.save(path)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
        return 1;
    }
    std::printf("registered %s for %s in %s\n", library.c_str(), clsid.c_str(), path.c_str());
    return 0;
}
