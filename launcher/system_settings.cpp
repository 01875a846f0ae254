#include "launcher/system_settings.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "update/config/properties.h"

namespace launcher {
namespace {

bool oneOf(std::string_view value, const std::array<std::string_view, 4>& words) {
    for (std::string_view word : words) {
        if (value == word) return true;
    }
    return false;
}

}  // namespace

std::string systemSettingsPath() {
    const char* path = std::getenv("VEXO_SYSTEM_SETTINGS");
    return path != nullptr && *path != '\0' ? path : VEXO_SYSTEM_SETTINGS_FILE;
}

SystemSettings loadSystemSettings(const std::string& path) {
    SystemSettings settings;
    update::Properties file;
    if (!file.load(path)) return settings;
    const auto selfUpdate = file.get("self-update");
    if (!selfUpdate || oneOf(*selfUpdate, {"on", "true", "yes", "1"})) return settings;
    if (oneOf(*selfUpdate, {"off", "false", "no", "0"})) {
        settings.selfUpdate = false;
    } else {
        std::fprintf(stderr,
                     "VexoClient: %s: self-update = %.*s is neither on nor off; it stays on\n",
                     path.c_str(), static_cast<int>(selfUpdate->size()), selfUpdate->data());
    }
    return settings;
}

}  // namespace launcher
