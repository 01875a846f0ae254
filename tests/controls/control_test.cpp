#include <gtest/gtest.h>

#include "tests/controls/scriptmovie_harness.h"

namespace scriptmovie_test {
namespace {

using Strings = std::vector<std::string>;

std::string replyOf(const abi::InvokeResult& r) {
    auto* text = std::get_if<std::string>(&r.value);
    return r.ok && text ? *text : "<not a string reply: " + r.error + ">";
}

TEST_F(ScriptMovieTest, CreatesOnlyTheFlashClassForThisAbi) {
    abi::ControlSite* site = &site_;
    for (const char* clsid : {kFlashClsid, "{d27cdb6e-ae6d-11cf-96b8-444553540000}",
                              "D27CDB6E-ae6d-11CF-96B8-444553540000"}) {
        std::unique_ptr<abi::Control> control(create_(abi::kAbiVersion, clsid, site));
        EXPECT_NE(control, nullptr) << clsid;
    }
    for (const char* clsid : {"{D27CDB6E-AE6D-11CF-96B8-444553540001}", "{}", "",
                              "{D27CDB6E-AE6D-11CF-96B8-444553540000"}) {
        EXPECT_EQ(create_(abi::kAbiVersion, clsid, site), nullptr) << clsid;
    }
    EXPECT_EQ(create_(abi::kAbiVersion + 1, kFlashClsid, site), nullptr);
    EXPECT_EQ(create_(abi::kAbiVersion, nullptr, site), nullptr);
}

TEST_F(ScriptMovieTest, TimelineRaisesEventsAtTheirDelaysAfterPlay) {
    auto movie = writeMovie("m.txt",
                            "# intro\nafter 500 fscommand videoStart a b\nafter 0 fscommand hello\n"
                            "after 500 fscommand say 你好 & <b> x\n");
    auto control = create();
    ASSERT_TRUE(load(*control, movie).ok);
    EXPECT_TRUE(site_.tasks.empty()) << "nothing may run before Play";
    ASSERT_TRUE(play(*control).ok);
    ASSERT_EQ(site_.tasks.size(), 2u);
    EXPECT_EQ(site_.tasks[0].delay, 0u);
    EXPECT_EQ(site_.tasks[1].delay, 500u);
    site_.runTasks();
    EXPECT_EQ(site_.fsCommands(), (Strings{"hello|", "videoStart|a b", "say|你好 & <b> x"}));
    EXPECT_TRUE(play(*control).ok);
    EXPECT_TRUE(site_.tasks.empty()) << "a second Play must not replay the movie";
}

TEST_F(ScriptMovieTest, PlayBeforeLoadStartsTheMovieWhenItArrives) {
    auto first = writeMovie("first.txt", "after 100 fscommand first\n");
    auto second = writeMovie("second.txt", "after 100 fscommand second\n");
    auto control = create();
    ASSERT_TRUE(play(*control).ok);
    ASSERT_TRUE(load(*control, "file://" + first + "?ignored=1").ok);
    ASSERT_TRUE(load(*control, second).ok);  // replaces the first before its event is due
    site_.runTasks();
    EXPECT_EQ(site_.fsCommands(), (Strings{"second|"}));
}

TEST_F(ScriptMovieTest, CallFunctionAnswersFromTheScript) {
    auto movie = writeMovie("m.txt",
                            "on SetWindow fscommand show true\non SetWindow fscommand focus\n"
                            "on sendKeyCode reply <true/>\non videoStop fail no video playing\n");
    auto control = create();
    ASSERT_TRUE(load(*control, movie).ok);
    auto set = callFunction(
        *control,
        R"(<invoke name="SetWindow" ><arguments><string>true</string></arguments></invoke>)");
    EXPECT_EQ(replyOf(set), "");
    EXPECT_EQ(site_.fsCommands(), (Strings{"show|true", "focus|"}));
    EXPECT_EQ(
        replyOf(callFunction(*control, R"(<invoke name="sendKeyCode" returntype="boolean">)"
                                       R"(<arguments><string>13</string></arguments></invoke>)")),
        "<true/>");
    EXPECT_EQ(replyOf(callFunction(*control, request("notInTheScript"))), "");
    auto failed = callFunction(*control, request("videoStop"));
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error, "no video playing");
    auto malformed = callFunction(*control, "videoStop");
    EXPECT_FALSE(malformed.ok);
    EXPECT_NE(malformed.error.find("invoke"), std::string::npos) << malformed.error;
}

TEST_F(ScriptMovieTest, HandlersMayCallBackIntoTheControl) {
    auto movie = writeMovie("m.txt",
                            "on outer fscommand ping 1\non outer fscommand ping 2\n"
                            "on outer reply outer-done\non inner fscommand pong\n"
                            "on inner reply inner-done\n");
    auto other = writeMovie("other.txt", "on outer reply other\n");
    auto control = create();
    ASSERT_TRUE(load(*control, movie).ok);
    Strings innerReplies;
    site_.onEvent = [&](const FakeSite::Event& e) {
        if (std::get<std::string>(e.args[0]) != "ping") return;
        innerReplies.push_back(replyOf(callFunction(*control, request("inner"))));
        if (innerReplies.size() == 2) {
            ASSERT_TRUE(load(*control, other).ok);
        }
    };
    // The call finishes as the movie it started in said, even when a handler replaced it.
    EXPECT_EQ(replyOf(callFunction(*control, request("outer"))), "outer-done");
    EXPECT_EQ(innerReplies, (Strings{"inner-done", "inner-done"}));
    EXPECT_EQ(site_.fsCommands(), (Strings{"ping|1", "pong|", "ping|2", "pong|"}));
    EXPECT_EQ(replyOf(callFunction(*control, request("outer"))), "other");
}

TEST_F(ScriptMovieTest, ReloadFromATimedEventStopsTheOldMovie) {
    auto movie = writeMovie("m.txt",
                            "after 10 fscommand a\nafter 10 fscommand b\n"
                            "after 20 fscommand c\n");
    auto other = writeMovie("other.txt", "after 5 fscommand fresh\n");
    auto control = create();
    site_.onEvent = [&](const FakeSite::Event&) {
        if (site_.events.size() == 1) {
            ASSERT_TRUE(load(*control, other).ok);
        }
    };
    ASSERT_TRUE(load(*control, movie).ok);
    ASSERT_TRUE(play(*control).ok);
    site_.runTasks();
    EXPECT_EQ(site_.fsCommands(), (Strings{"a|", "fresh|"}));
}

TEST_F(ScriptMovieTest, MisusedMembersFailWithADescription) {
    auto control = create();
    const std::vector<abi::Variant> none, oneInt{std::int32_t{0}};
    struct Case {
        std::int32_t dispid;
        abi::InvokeKind kind;
        std::vector<abi::Variant> args;
        const char* mentions;
    };
    const Case cases[] = {
        {0x7C, abi::InvokeKind::Method, none, "0x7C"},
        {kPlay, abi::InvokeKind::Method, oneInt, "Play"},
        {kPlay, abi::InvokeKind::PropertyPut, none, "Play"},
        {kBackgroundColor, abi::InvokeKind::PropertyPut, {std::string("red")}, "BackgroundColor"},
        {kBackgroundColor, abi::InvokeKind::Method, oneInt, "BackgroundColor"},
        {kLoadMovie,
         abi::InvokeKind::Method,
         {std::string("/m.txt"), std::int32_t{0}},
         "LoadMovie"},
        {kLoadMovie, abi::InvokeKind::Method, {std::int32_t{0}}, "LoadMovie"},
        {kCallFunction, abi::InvokeKind::Method, {true}, "CallFunction"},
        {kCallFunction, abi::InvokeKind::Method, none, "CallFunction"},
    };
    for (const auto& c : cases) {
        auto result = control->invoke(c.dispid, c.kind, c.args);
        EXPECT_FALSE(result.ok) << c.mentions;
        EXPECT_NE(result.error.find(c.mentions), std::string::npos) << result.error;
    }
    EXPECT_TRUE(control->invoke(kBackgroundColor, abi::InvokeKind::PropertyPut, oneInt).ok);
}

TEST_F(ScriptMovieTest, UnplayableMoviesPlayNothingAndSayWhyOnce) {
    auto broken = writeMovie("broken.txt", "on a reply x\nafter later fscommand x\n");
    const std::pair<std::string, const char*> cases[] = {
        {broken, "line 2"},
        {(dir_ / "missing.txt").string(), "missing.txt"},
        {"relative.txt", "relative.txt"},
    };
    for (const auto& [location, mentions] : cases) {
        auto control = create();
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(load(*control, location).ok);
        std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(mentions), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_TRUE(play(*control).ok);
        EXPECT_TRUE(site_.tasks.empty());
        EXPECT_EQ(replyOf(callFunction(*control, request("a"))), "") << location;
    }
}

}  // namespace
}  // namespace scriptmovie_test
