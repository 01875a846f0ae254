#include "platform/startup.h"

#include <cstdio>
#include <cstdlib>

#include "platform/gtk/gtk_backend.h"
#include "platform/headless/headless_backend.h"

namespace platform {

std::unique_ptr<Backend> createBackendFromEnvironment(std::string* error) {
    const char* chosen = std::getenv("VEXO_BACKEND");
    const std::string name = chosen && *chosen ? chosen : "gtk";
    if (name == "headless") return createHeadlessBackend();
    if (name == "gtk") return createGtkBackend(error);
    if (error) {
        *error = "vexo: unknown window backend \"" + name +
                 "\" in VEXO_BACKEND; use VEXO_BACKEND=gtk or VEXO_BACKEND=headless";
    }
    return nullptr;
}

bool installBackendFromEnvironment() {
    std::string error;
    auto chosen = createBackendFromEnvironment(&error);
    if (!chosen) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    setBackend(std::move(chosen));
    return true;
}

}  // namespace platform
