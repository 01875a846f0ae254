#include "controls/webmovie/language_tags.h"

#include <gtest/gtest.h>

namespace controls::webmovie {
namespace {

using Tags = std::vector<std::string>;

TEST(WebMovieLanguages, TurnsLocaleNamesIntoLanguageTags) {
    EXPECT_EQ(webLanguages({"zh_CN.UTF-8", "zh_CN", "zh", "C"}), (Tags{"zh-CN", "zh", "en-US"}));
    EXPECT_EQ(webLanguages({"de_DE@euro", "en_US.UTF-8"}), (Tags{"de-DE", "en-US"}));
    EXPECT_EQ(webLanguages({"C", "POSIX", "C.UTF-8"}), (Tags{"en-US"}));
    EXPECT_EQ(webLanguages({}), (Tags{"en-US"}));
    EXPECT_EQ(webLanguages({"x", "toolong_XX", "zh_", "es_419", "ja_JP-bad"}),
              (Tags{"es-419", "en-US"}));
}

}  // namespace
}  // namespace controls::webmovie
