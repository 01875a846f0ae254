#include "controls/scriptmovie/invoke_request.h"

#include <gtest/gtest.h>

namespace controls::scriptmovie {
namespace {

TEST(InvokeRequestName, FindsTheNameAttribute) {
    const std::pair<const char*, const char*> cases[] = {
        {R"(<invoke name="SetWindow" ><arguments><string>true</string></arguments></invoke>)",
         "SetWindow"},
        {R"(<invoke name="sendKeyCode" returntype="boolean"><arguments><string>13</string>)"
         R"(</arguments></invoke>)",
         "sendKeyCode"},
        {R"(<invoke returntype="xml" name='videoStop'><arguments></arguments></invoke>)",
         "videoStop"},
        {"\n  <invoke\tname = \"a b\"\n><arguments/></invoke>\r\n", "a b"},
        {R"(<invoke name="x" title="<not>"><arguments/></invoke>)", "x"},
    };
    for (const auto& [request, name] : cases) {
        EXPECT_EQ(invokeRequestName(request), std::optional<std::string>(name)) << request;
    }
}

TEST(InvokeRequestName, RefusesWhatIsNotAnInvokeRequest) {
    const char* cases[] = {
        "",
        "SetWindow",
        R"(<invoke><arguments/></invoke>)",
        R"(<invoke name=""><arguments/></invoke>)",
        R"(<invoke returntype="xml"><arguments/></invoke>)",
        R"(<invoke name="x")",
        R"(<invoke name="x"><arguments></arguments>)",
        R"(<invoker name="x"></invoke>)",
        R"(<invoke name=x></invoke>)",
        R"(<invoke name="x></invoke>)",
        R"(<invoke name="x"/>)",
        R"(<call name="x"></call>)",
    };
    for (const char* request : cases)
        EXPECT_EQ(invokeRequestName(request), std::nullopt) << request;
}

}  // namespace
}  // namespace controls::scriptmovie
