#include "controls/webmovie/drawing_setup.h"

#include <cstdlib>
#include <filesystem>

namespace controls::webmovie {
namespace {

// A render node name no device has: without a render node WebKit gives the web process none,
// and a name that matches no device leaves it just as deviceless.
constexpr const char* kNoRenderNode = "/dev/dri/none";

std::vector<std::string> devDriEntries() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error))
        names.push_back(entry.path().filename().string());
    return names;
}

std::vector<std::string>& setVariables() {
    static std::vector<std::string> names;
    return names;
}

void setUnlessSet(const char* name, const std::string& value) {
    if (std::getenv(name) != nullptr) return;
    setenv(name, value.c_str(), 1);
    setVariables().push_back(name);
}

}  // namespace

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

void prepareDrawing() {
    static const bool prepared = [] {
        // Frames of composited pages would travel as DMA-BUF; without compositing there are none.
        setUnlessSet("WEBKIT_DISABLE_DMABUF_RENDERER", "1");
        // The node WebKit itself would name when the GL driver has no better one.
        setUnlessSet("WEBKIT_WEB_RENDER_DEVICE_FILE",
                     firstRenderNode(devDriEntries()).value_or(kNoRenderNode));
        return true;
    }();
    (void)prepared;
}

const std::vector<std::string>& drawingVariablesSet() { return setVariables(); }

}  // namespace controls::webmovie
