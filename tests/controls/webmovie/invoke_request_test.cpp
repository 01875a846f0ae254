#include "controls/webmovie/invoke_request.h"

#include <gtest/gtest.h>

namespace controls::webmovie {
namespace {

using Values = std::vector<ExternalValue>;

ExternalValue str(const char* s) { return {std::string(s)}; }

InvokeRequest parsed(std::string_view text) {
    std::string error;
    auto request = parseInvokeRequest(text, &error);
    EXPECT_TRUE(request) << text << ": " << error;
    return request.value_or(InvokeRequest{});
}

TEST(WebMovieInvokeRequest, ParsesTheRequestsHostsSend) {
    auto stop = parsed(R"(<invoke name="videoStop" ><arguments></arguments></invoke>)");
    EXPECT_EQ(stop.name, "videoStop");
    EXPECT_TRUE(stop.arguments.empty());
    auto key = parsed(R"(<invoke name="sendKeyCode" returntype="boolean"><arguments>)"
                      R"(<string>13</string></arguments></invoke>)");
    EXPECT_EQ(key.name, "sendKeyCode");
    EXPECT_EQ(key.arguments, (Values{str("13")}));
    auto attributes = parsed(
        "  <invoke returntype = 'xml'\n name='f'>"
        "<arguments/></invoke>\r\n");
    EXPECT_EQ(attributes.name, "f");
    EXPECT_EQ(parsed(R"(<invoke name="g"/>)").name, "g");
    EXPECT_EQ(parsed(R"(<invoke name="h"></invoke>)").name, "h");
}

TEST(WebMovieInvokeRequest, StringsKeepUnescapedTextAndDecodeEntities) {
    auto raw = parsed(R"(<invoke name="ReceiveMessage" ><arguments><string>a<b&c</string>)"
                      R"(</arguments></invoke>)");
    EXPECT_EQ(raw.arguments, (Values{str("a<b&c")}));
    auto escaped = parsed(
        R"(<invoke name="m"><arguments><string>&lt;b&gt; &amp;&quot;&apos; &#20320;&#x597D;)"
        R"( &bogus; &#0; & end</string><string/><string>你好 "x" 'y'</string></arguments></invoke>)");
    EXPECT_EQ(escaped.arguments,
              (Values{str("<b> &\"' 你好 &bogus; &#0; & end"), str(""), str("你好 \"x\" 'y'")}));
    auto name = parsed(R"(<invoke name="a&amp;b"><arguments></arguments></invoke>)");
    EXPECT_EQ(name.name, "a&b");
}

TEST(WebMovieInvokeRequest, ParsesEveryArgumentType) {
    auto request = parsed(
        "<invoke name=\"f\" returntype=\"xml\"><arguments><number>1</number>"
        "<number>-2.5e3</number><true/><false/><null/><undefined/>"
        "<array><property id=\"0\"><string>x</string></property></array>"
        "<object><property id=\"k\"><number>7</number></property></object><array/>"
        "</arguments></invoke>");
    Values expected{{1.0},
                    {-2500.0},
                    {true},
                    {false},
                    {Null{}},
                    {Undefined{}},
                    {ExternalArray{str("x")}},
                    {ExternalObject{{"k", {7.0}}}},
                    {ExternalArray{}}};
    EXPECT_EQ(request.arguments, expected);
}

TEST(WebMovieInvokeRequest, RejectsWhatIsNotARequest) {
    for (const char* text : {
             "",
             "videoStop",
             "<invoke><arguments></arguments></invoke>",
             "<invoke name=\"\"><arguments></arguments></invoke>",
             "<invokex name=\"f\"></invokex>",
             "<invoke name=\"f\"><arguments></arguments>",
             "<invoke name=\"f\"><arguments></arguments></invoke> trailing",
             "<invoke name=f><arguments></arguments></invoke>",
             "<invoke name=\"f><arguments></arguments></invoke>",
             "<invoke name=\"f\"><arguments><string>a</arguments></invoke>",
             "<invoke name=\"f\"><arguments><number>1x</number></arguments></invoke>",
             "<invoke name=\"f\"><arguments><number></number></arguments></invoke>",
             "<invoke name=\"f\"><arguments><date/></arguments></invoke>",
             "<invoke name=\"f\"><arguments><object><property>",
             "<invoke name=\"f\"><arguments><array><property id=\"0\"><true/></array>"
             "</arguments></invoke>",
         }) {
        std::string error;
        EXPECT_FALSE(parseInvokeRequest(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

}  // namespace
}  // namespace controls::webmovie
