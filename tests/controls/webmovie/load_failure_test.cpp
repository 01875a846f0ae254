// What the control does with movies it cannot play, and with calls it cannot take.
#include <gtest/gtest.h>

#include "tests/controls/webmovie/gui_host.h"

namespace webmovie_test {
namespace {

constexpr std::uint32_t kBackground = 0x3366CC;
constexpr const char* kGreenMovie = R"HTML(<!DOCTYPE html><html><head><style>
html, body { margin: 0; height: 100%; background: #20c040; }</style></head>
<body><script>fscommand("ready", "");</script></body></html>)HTML";

class LoadFailureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control_ = createWebMovie(site_);
        ASSERT_NE(control_, nullptr);
        ASSERT_TRUE(setBackground(*control_, kBackground).ok);
    }

    // Shows a green movie first, so the background colour cannot be a left-over.
    void showGreenMovie() {
        ASSERT_TRUE(loadMovie(*control_, dir_.write("green.html", kGreenMovie)).ok);
        ASSERT_TRUE(runUntil([this] { return hasFsCommand(site_, {"ready", ""}); }, 20000));
        ASSERT_TRUE(runUntil([this] { return centre() == 0x20C040; }, 10000))
            << std::hex << centre();
    }
    // Loads `location` and expects the window to show the background within a few seconds,
    // without LoadMovie itself taking long.
    void expectBackgroundAfterLoading(const std::string& location,
                                      std::uint32_t background = kBackground) {
        const gint64 start = g_get_monotonic_time();
        EXPECT_TRUE(loadMovie(*control_, location).ok) << "a movie that cannot play is no error";
        EXPECT_LT(g_get_monotonic_time() - start, 500000) << "LoadMovie must not wait for it";
        EXPECT_TRUE(runUntil([&] { return centre() == background; }, 10000))
            << location << ": " << std::hex << centre();
        EXPECT_EQ(replyOf(callFunction(*control_, "<invoke name=\"f\"><arguments/></invoke>")), "");
    }
    std::uint32_t centre() const { return window_.pixel(kWidth / 2, kHeight / 2); }

    TempDir dir_;
    GuiWindow window_;
    GuiSite site_{window_.container()};
    std::unique_ptr<abi::Control> control_;
};

TEST_F(LoadFailureTest, AMissingFileLeavesTheBackground) {
    showGreenMovie();
    expectBackgroundAfterLoading((dir_.path() / "missing.swf").string() + "?a=1");
}

TEST_F(LoadFailureTest, AnUnreachableUrlLeavesTheBackground) {
    showGreenMovie();
    expectBackgroundAfterLoading("http://127.0.0.1:9/movie.swf");
}

TEST_F(LoadFailureTest, LocationsOfNoKnownKindLeaveTheBackground) {
    for (const char* location : {"movie.swf", "ftp://127.0.0.1/movie.swf", ""}) {
        showGreenMovie();
        expectBackgroundAfterLoading(location);
    }
}

// The blank page of a failed load must not take the place of the movie loaded right after it.
TEST_F(LoadFailureTest, AMovieLoadedRightAfterAFailedOnePlays) {
    for (int i = 0; i < 5; ++i) {
        site_.fsCommands.clear();
        ASSERT_TRUE(loadMovie(*control_, (dir_.path() / "missing.swf").string()).ok);
        ASSERT_TRUE(loadMovie(*control_, dir_.write("green.html", kGreenMovie)).ok);
        EXPECT_TRUE(runUntil([this] { return hasFsCommand(site_, {"ready", ""}); }, 20000)) << i;
        EXPECT_TRUE(runUntil([this] { return centre() == 0x20C040; }, 10000)) << i;
    }
}

TEST_F(LoadFailureTest, AnEmptyDocumentShowsTheNewBackground) {
    ASSERT_TRUE(setBackground(*control_, 0x804020).ok);
    expectBackgroundAfterLoading(dir_.write("empty.html", ""), 0x804020);
}

TEST(WebMovieControl, CreatesTheFlashClassInAnyCaseOnlyWithAContainer) {
    CreateControl create = moduleEntry();
    ASSERT_NE(create, nullptr);
    GuiWindow window;
    GuiSite site(window.container());
    for (const char* clsid : {kFlashClsid, "{d27cdb6e-ae6d-11cf-96b8-444553540000}",
                              "D27CDB6E-ae6d-11CF-96B8-444553540000"}) {
        std::unique_ptr<abi::Control> control(create(abi::kAbiVersion, clsid, &site));
        EXPECT_NE(control, nullptr) << clsid;
    }
    EXPECT_EQ(create(abi::kAbiVersion, "{D27CDB6E-AE6D-11CF-96B8-444553540001}", &site), nullptr);
    EXPECT_EQ(create(abi::kAbiVersion + 1, kFlashClsid, &site), nullptr);
    GuiSite headless(nullptr);
    EXPECT_EQ(create(abi::kAbiVersion, kFlashClsid, &headless), nullptr);
}

TEST(WebMovieControl, RefusesCallsOfTheWrongShape) {
    GuiWindow window;
    GuiSite site(window.container());
    std::unique_ptr<abi::Control> control(moduleEntry()(abi::kAbiVersion, kFlashClsid, &site));
    ASSERT_NE(control, nullptr);
    using K = abi::InvokeKind;
    EXPECT_FALSE(control->invoke(kBackgroundColor, K::Method, {std::int32_t{0}}).ok);
    EXPECT_FALSE(control->invoke(kBackgroundColor, K::PropertyPut, {std::string("red")}).ok);
    EXPECT_FALSE(control->invoke(kPlay, K::Method, {std::int32_t{1}}).ok);
    EXPECT_FALSE(control->invoke(kLoadMovie, K::Method, {std::string("/m.swf")}).ok);
    EXPECT_FALSE(control->invoke(kCallFunction, K::Method, {std::int32_t{1}}).ok);
    auto unknown = control->invoke(0x7C, K::PropertyGet, {});
    EXPECT_FALSE(unknown.ok);
    EXPECT_NE(unknown.error.find("0x7C"), std::string::npos) << unknown.error;
    EXPECT_TRUE(control->invoke(kPlay, K::Method, {}).ok);
}

}  // namespace
}  // namespace webmovie_test
