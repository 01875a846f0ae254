#include "controls/webmovie/drawing_setup.h"

#include <gtest/gtest.h>

namespace controls::webmovie {
namespace {

using Names = std::vector<std::string>;

// The web process gets the render node WebKit would pick, or none where there is no GPU.
TEST(WebMovieRenderNode, IsTheLowestRenderNodeOfDevDri) {
    EXPECT_EQ(firstRenderNode({"by-path", "card0", "renderD129", "renderD128"}),
              "/dev/dri/renderD128");
    EXPECT_EQ(firstRenderNode({"renderD130", "renderD99"}), "/dev/dri/renderD99");
    EXPECT_EQ(firstRenderNode({}), std::nullopt);
    EXPECT_EQ(
        firstRenderNode({"card0", "renderD", "renderDx1", "renderD12a", "renderD12345678901"}),
        std::nullopt);
}

}  // namespace
}  // namespace controls::webmovie
