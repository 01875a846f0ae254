// The texts the host inserts into requests reach the movie exactly: the controls' request parser
// reads back what the host wrote, however hostile the text a movie handed the host.
#include "flash/flash_requests.h"

#include <gtest/gtest.h>

#include "controls/core/invoke_request.h"

namespace {

// The one string argument of `request` as a movie control reads it.
std::string receivedText(const std::string& request) {
    std::string error;
    auto parsed = controls::parseInvokeRequest(request, &error);
    EXPECT_TRUE(parsed) << error << ": " << request.substr(0, 200);
    if (!parsed || parsed->arguments.size() != 1) return "<no single argument>";
    const auto* text = std::get_if<std::string>(&parsed->arguments[0].v);
    return text ? *text : "<not a string>";
}

std::string nestedArrays(int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i) text += R"(<array><property id="0">)";
    return text;
}

TEST(FlashRequests, InsertedTextsAreEscaped) {
    EXPECT_EQ(flash_requests::receiveMessage(R"(a<b>&c "q" 'p')"),
              R"(<invoke name="ReceiveMessage" ><arguments><string>a&lt;b&gt;&amp;c "q" 'p')"
              R"(</string></arguments></invoke>)");
    EXPECT_EQ(flash_requests::withString(R"(f"x<)", "v"),
              R"(<invoke name="f&quot;x&lt;" ><arguments><string>v</string></arguments></invoke>)");
}

TEST(FlashRequests, EveryInsertedTextReachesTheMovieExactly) {
    const std::string texts[] = {
        "",
        "vid=7&t=2",
        "a<b&c",
        "&amp; &lt; &#65; &bogus; & ;",
        "x</string></arguments></invoke>",
        "x</string><true/><string>",
        "</string>" + nestedArrays(100000),
        "你好 \"q\" 'p' \t\r\n",
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(receivedText(flash_requests::receiveMessage(text)), text);
        EXPECT_EQ(receivedText(flash_requests::setVolume(text)), text);
        EXPECT_EQ(receivedText(flash_requests::failMess(text)), text);
        EXPECT_EQ(receivedText(flash_requests::withString("GetStatus", text)), text);
    }
    std::string error;
    auto named = controls::parseInvokeRequest(flash_requests::withString(R"(a"b&c<)", "v"), &error);
    ASSERT_TRUE(named) << error;
    EXPECT_EQ(named->name, R"(a"b&c<)");
}

}  // namespace
