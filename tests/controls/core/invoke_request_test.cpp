#include "controls/core/invoke_request.h"

#include <gtest/gtest.h>

namespace controls {
namespace {

using Values = std::vector<ExternalValue>;

ExternalValue str(const char* s) { return {std::string(s)}; }

InvokeRequest parsed(std::string_view text) {
    std::string error;
    auto request = parseInvokeRequest(text, &error);
    EXPECT_TRUE(request) << text << ": " << error;
    return request.value_or(InvokeRequest{});
}

TEST(InvokeRequest, ParsesTheRequestsHostsSend) {
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
    EXPECT_EQ(parsed("\n  <invoke\tname = \"a b\"\n><arguments/></invoke>\r\n").name, "a b");
    EXPECT_EQ(parsed(R"(<invoke name="x" title="<not>"><arguments/></invoke>)").name, "x");
}

TEST(InvokeRequest, StringsKeepUnescapedTextAndDecodeEntities) {
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

TEST(InvokeRequest, ParsesEveryArgumentType) {
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

TEST(InvokeRequest, RejectsWhatIsNotARequest) {
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
             "<invoke returntype=\"xml\"><arguments/></invoke>",
             "<invoker name=\"x\"></invoke>",
             "<call name=\"x\"></call>",
         }) {
        std::string error;
        EXPECT_FALSE(parseInvokeRequest(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

std::string request(const std::string& arguments) {
    return R"(<invoke name="f" ><arguments>)" + arguments + "</arguments></invoke>";
}

std::string nested(int levels, const std::string& inner) {
    std::string open, close;
    for (int i = 0; i < levels; ++i) {
        open += R"(<array><property id="0">)";
        close += "</property></array>";
    }
    return open + inner + close;
}

std::string repeated(const std::string& text, std::size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += text;
    return out;
}

// What an unescaping host once pasted into a request from a movie's text: without a bound on
// nesting it recursed until the stack overflowed.
TEST(InvokeRequest, RefusesNestingDeeperThanTheBound) {
    ExternalValue deepest{true};
    for (int i = 0; i < kMaxRequestNesting; ++i) deepest = {ExternalArray{deepest}};
    EXPECT_EQ(parsed(request(nested(kMaxRequestNesting, "<true/>"))).arguments, Values{deepest});
    std::string error;
    EXPECT_FALSE(parseInvokeRequest(request(nested(kMaxRequestNesting + 1, "<true/>")), &error));
    EXPECT_NE(error.find("nested deeper"), std::string::npos) << error;
    const std::string injected = R"(<invoke name="setvolume" ><arguments><string>x</string>)" +
                                 repeated(R"(<array><property id="0">)", 100000) +
                                 "</string></arguments></invoke>";
    EXPECT_FALSE(parseInvokeRequest(injected, &error));
}

TEST(InvokeRequest, RefusesMoreValuesThanTheBound) {
    const auto atBound =
        parseInvokeRequest(request(repeated("<true/>", kMaxRequestValues)), nullptr);
    ASSERT_TRUE(atBound);
    EXPECT_EQ(atBound->arguments.size(), kMaxRequestValues);
    std::string error;
    const std::string wide = "<array>" +
                             repeated(R"(<property id="0"><null/></property>)", kMaxRequestValues) +
                             "</array>";
    EXPECT_FALSE(parseInvokeRequest(request(wide), &error));
    EXPECT_NE(error.find("values"), std::string::npos) << error;
}

TEST(InvokeRequest, RefusesARequestLongerThanTheBound) {
    const std::string frame = request("<string></string>");
    const std::string text(kMaxRequestBytes - frame.size(), 'x');
    const auto atBound = parseInvokeRequest(request("<string>" + text + "</string>"), nullptr);
    ASSERT_TRUE(atBound);
    EXPECT_EQ(atBound->arguments, Values{{text}});
    std::string error;
    EXPECT_FALSE(parseInvokeRequest(request("<string>" + text + "x</string>"), &error));
    EXPECT_NE(error.find("longer"), std::string::npos) << error;
}

}  // namespace
}  // namespace controls
