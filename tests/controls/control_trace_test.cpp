#include <gtest/gtest.h>

#include "tests/controls/scriptmovie_harness.h"

namespace scriptmovie_test {
namespace {

// The instance number the control writes at the front of its trace lines.
std::string instanceOf(const std::string& line) { return line.substr(0, line.find(' ')); }

TEST_F(ScriptMovieTest, TracesEveryCallAndEventAsOneLine) {
    auto movie = writeMovie("m.txt",
                            "after 0 fscommand quit\nafter 5 fscommand say 你好 a\\b <&>\n"
                            "on videoStop fscommand stopped now\n");
    auto control = create();
    ASSERT_TRUE(
        control->invoke(kBackgroundColor, abi::InvokeKind::PropertyPut, {std::int32_t{0}}).ok);
    ASSERT_FALSE(traceLines().empty());
    const std::string n = instanceOf(traceLines()[0]);
    ASSERT_TRUE(load(*control, movie + "?a=1").ok);
    ASSERT_TRUE(play(*control).ok);
    site_.runTasks();
    callFunction(
        *control,
        "<invoke name=\"videoStop\" >\n<arguments><string>\\</string></arguments></invoke>");
    control->focus();
    control->invoke(0x7C, abi::InvokeKind::PropertyGet, {});
    control.reset();
    EXPECT_EQ(traceLines(), (std::vector<std::string>{
                                n + " BackgroundColor 0",
                                n + " LoadMovie 0 " + movie + "?a=1",
                                n + " Play",
                                n + " FSCommand quit",
                                n + " FSCommand say 你好 a\\\\b <&>",
                                n + " CallFunction <invoke name=\"videoStop\" >\\n<arguments>"
                                    "<string>\\\\</string></arguments></invoke>",
                                n + " FSCommand stopped now",
                                n + " Focus",
                                n + " Unknown 0x7C",
                                n + " Destroyed",
                            }));
}

TEST_F(ScriptMovieTest, NumbersControlsInCreationOrder) {
    auto first = create();
    auto second = create();
    play(*second);
    play(*first);
    auto lines = traceLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], instanceOf(lines[1]) + " Play");
    EXPECT_EQ(std::stoi(instanceOf(lines[0])), std::stoi(instanceOf(lines[1])) + 1);
}

TEST_F(ScriptMovieTest, WritesNoTraceWithoutTheVariable) {
    unsetenv("VEXO_SCRIPTMOVIE_TRACE");
    auto control = create();
    play(*control);
    control.reset();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "trace.txt"));
}

}  // namespace
}  // namespace scriptmovie_test
