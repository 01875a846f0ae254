#include "platform/drawing_environment.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace platform {
namespace {

// A render node name no device has: without a GPU WebKit gives the web process no node, and a
// name that matches no device leaves it just as deviceless.
constexpr const char* kNoRenderNode = "/dev/dri/none";

std::vector<std::string> devDriEntries() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error))
        names.push_back(entry.path().filename().string());
    return names;
}

void setUnlessSet(const char* name, const std::string& value) {
    if (std::getenv(name) == nullptr) setenv(name, value.c_str(), 1);
}

}  // namespace

void prepareDrawingEnvironment() {
    const char* backend = std::getenv("VEXO_BACKEND");
    if (backend && *backend && std::string_view(backend) != "gtk") return;
    setUnlessSet("GDK_GL", "disable");
    // Frames of composited pages would travel as DMA-BUF; without compositing there are none.
    setUnlessSet("WEBKIT_DISABLE_DMABUF_RENDERER", "1");
    // The node WebKit itself would name when the GL driver has no better one.
    setUnlessSet("WEBKIT_WEB_RENDER_DEVICE_FILE",
                 firstRenderNode(devDriEntries()).value_or(kNoRenderNode));
}

std::optional<std::string> firstRenderNode(const std::vector<std::string>& names) {
    constexpr std::string_view kPrefix = "renderD";
    std::optional<unsigned long> lowest;
    for (const auto& name : names) {
        if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0)
            continue;
        const std::string digits = name.substr(kPrefix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const unsigned long number = std::stoul(digits);
        if (!lowest || number < *lowest) lowest = number;
    }
    if (!lowest) return std::nullopt;
    return "/dev/dri/renderD" + std::to_string(*lowest);
}

}  // namespace platform
