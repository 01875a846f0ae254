// The drawing settings a program gives GDK and WebKit at start.
#include "platform/drawing_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/scoped_env.h"

namespace {

using platform::firstRenderNode;
using test_support::ScopedEnv;

std::string valueOf(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "(unset)";
}

// The web process gets the render node WebKit would pick, or none where there is no GPU.
TEST(DrawingEnvironment, TheRenderNodeIsTheLowestOfDevDri) {
    EXPECT_EQ(firstRenderNode({"by-path", "card0", "renderD129", "renderD128"}),
              "/dev/dri/renderD128");
    EXPECT_EQ(firstRenderNode({"renderD130", "renderD99"}), "/dev/dri/renderD99");
    EXPECT_EQ(firstRenderNode({}), std::nullopt);
    EXPECT_EQ(
        firstRenderNode({"card0", "renderD", "renderDx1", "renderD12a", "renderD12345678901"}),
        std::nullopt);
}

TEST(DrawingEnvironment, TheGtkBackendGetsWhatTheUserLeftUnsetAndHeadlessNothing) {
    ScopedEnv gl("GDK_GL"), dmabuf("WEBKIT_DISABLE_DMABUF_RENDERER", "0"),
        node("WEBKIT_WEB_RENDER_DEVICE_FILE");
    {
        ScopedEnv backend("VEXO_BACKEND", "headless");
        platform::prepareDrawingEnvironment();
        EXPECT_EQ(valueOf("GDK_GL"), "(unset)");
        EXPECT_EQ(valueOf("WEBKIT_WEB_RENDER_DEVICE_FILE"), "(unset)");
    }
    ScopedEnv backend("VEXO_BACKEND");
    platform::prepareDrawingEnvironment();
    EXPECT_EQ(valueOf("GDK_GL"), "disable");
    EXPECT_EQ(valueOf("WEBKIT_DISABLE_DMABUF_RENDERER"), "0") << "the user's own";
    EXPECT_EQ(valueOf("WEBKIT_WEB_RENDER_DEVICE_FILE").rfind("/dev/dri/", 0), 0u);
}

}  // namespace
