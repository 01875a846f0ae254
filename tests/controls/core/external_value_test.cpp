#include "controls/core/external_value.h"

#include <gtest/gtest.h>

#include <limits>

#include "controls/core/xml_text.h"

namespace controls {
namespace {

TEST(ExternalReply, WritesEachTypeAsFlashDoes) {
    EXPECT_EQ(toReplyXml({std::string("a<b&c \"q\" 'p' 你好")}),
              "<string>a&lt;b&amp;c &quot;q&quot; &apos;p&apos; 你好</string>");
    EXPECT_EQ(toReplyXml({std::string()}), "<string></string>");
    EXPECT_EQ(toReplyXml({1.5}), "<number>1.5</number>");
    EXPECT_EQ(toReplyXml({true}), "<true/>");
    EXPECT_EQ(toReplyXml({false}), "<false/>");
    EXPECT_EQ(toReplyXml({Null{}}), "<null/>");
    EXPECT_EQ(toReplyXml({Undefined{}}), "<undefined/>");
    ExternalValue nested{ExternalObject{{"a&", {ExternalArray{{1.0}, {Null{}}}}}}};
    EXPECT_EQ(toReplyXml(nested),
              "<object><property id=\"a&amp;\"><array><property id=\"0\"><number>1</number>"
              "</property><property id=\"1\"><null/></property></array></property></object>");
}

TEST(ExternalReply, FormatsNumbersWithoutNoise) {
    EXPECT_EQ(formatNumber(50), "50");
    EXPECT_EQ(formatNumber(-0.0), "0");
    EXPECT_EQ(formatNumber(0.1), "0.1");
    EXPECT_EQ(formatNumber(-123456789), "-123456789");
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(formatNumber(-std::numeric_limits<double>::infinity()), "-Infinity");
}

TEST(ExternalReply, XmlTextRoundTrips) {
    const std::string text = "<&>\"' plain 你好";
    EXPECT_EQ(decodeXmlText(escapeXml(text)), text);
    EXPECT_EQ(decodeXmlText("&#x1F600;&#65;&#xD800;&amp"),
              "\xF0\x9F\x98\x80"
              "A&#xD800;&amp");
}

TEST(ExternalJsLiteral, QuotesStringsForAnyScriptContext) {
    EXPECT_EQ(toJsLiteral({std::string("a\"b\\c\nd\r</script>\x01")}),
              "\"a\\\"b\\\\c\\nd\\r\\x3C/script>\\x01\"");
    EXPECT_EQ(toJsLiteral({std::string("x\xE2\x80\xA8y\xE2\x80\xA9z 你好")}),
              "\"x\\u2028y\\u2029z 你好\"");
    EXPECT_EQ(toJsLiteral({ExternalArray{{Undefined{}}, {Null{}}, {true}, {-2.5}}}),
              "[undefined,null,true,(-2.5)]");
    EXPECT_EQ(toJsLiteral({ExternalObject{{"k", {std::string("v")}}}}), "{\"k\":\"v\"}");
    EXPECT_EQ(toJsLiteral({std::numeric_limits<double>::infinity()}), "Infinity");
}

}  // namespace
}  // namespace controls
