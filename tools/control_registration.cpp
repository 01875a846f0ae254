#include "tools/control_registration.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/os/registry.h"

namespace {

std::string inprocServerKey(const std::string& clsid) {
    return "HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\InprocServer32";
}

}  // namespace

bool controlRegistered(const std::string& library, const std::string& clsid) {
    return platform::loadProcessRegistry().readString(inprocServerKey(clsid), "") == library;
}

bool registerControl(const std::string& program, const std::string& library,
                     const std::string& clsid) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(library, error);
    const std::string shown = error ? library : absolute.string();
    if (error || !std::filesystem::is_regular_file(absolute, error)) {
        std::fprintf(stderr, "%s: no such library: %s\n", program.c_str(), shown.c_str());
        return false;
    }
    const std::string path = platform::registryPath();
    platform::Registry registry = platform::Registry::load(path);
    registry.setValue(inprocServerKey(clsid), "", absolute.string());
    if (!registry.save(path)) {
        std::fprintf(stderr, "%s: cannot write the registry file %s\n", program.c_str(),
                     path.c_str());
        return false;
    }
    std::printf("registered %s for %s in %s\n", absolute.c_str(), clsid.c_str(), path.c_str());
    return true;
}
