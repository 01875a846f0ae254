#include "controls/webmovie/origin_rules.h"

#include <gtest/gtest.h>

namespace controls::webmovie {
namespace {

TEST(WebMovieOrigin, ReadsTheOriginAsPagesDo) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://Example.COM:80/a?b#c", "http://example.com"},
        {"HTTPS://h:443", "https://h"},
        {"https://h:80/", "https://h:80"},
        {"http://127.0.0.1:8080/x?y", "http://127.0.0.1:8080"},
        {"http://127.0.0.1:08080/", "http://127.0.0.1:8080"},
        {"http://user:pw@h:81/p", "http://h:81"},
        {"http://a\\@b.test/", "http://a"},
        {"http://h#@other/", "http://h"},
        {"blob:http://h:81/0e2b-4c", "http://h:81"},
        {"vexo-movie://Movie1/home/me/m.html", "vexo-movie://movie1"},
        {"http://[::1]:90/", "http://[::1]:90"},
        {"http://[::1]/", "http://[::1]"},
    };
    for (const auto& [url, origin] : cases) EXPECT_EQ(originOf(url), origin) << url;
    for (const char* url :
         {"about:blank", "data:text/html,<p>", "file:///etc/hostname", "javascript:alert(1)", "",
          "http://", "http:///x", "http://h:99999/", "http://h:8x/", "http://[::1/", "no url",
          "http:h", "1http://h/", "blob:about:blank"}) {
        EXPECT_EQ(originOf(url), "") << url;
        EXPECT_FALSE(hasOrigin(url, "")) << url;
    }
    EXPECT_TRUE(isWebUrl("https://h/"));
    EXPECT_FALSE(isWebUrl("vexo-movie://movie1/"));
    EXPECT_FALSE(isWebUrl("http://"));
}

TEST(WebMovieOrigin, TellsDocumentsApartByOriginAndPath) {
    EXPECT_TRUE(sameDocument("http://H:80/a?x=1#f", "http://h/a?y"));
    EXPECT_TRUE(sameDocument("http://h", "http://h/"));
    EXPECT_TRUE(sameDocument("about:blank", "about:blank#x"));
    EXPECT_FALSE(sameDocument("http://h/a", "http://h/b"));
    EXPECT_FALSE(sameDocument("http://h/a", "https://h/a"));
    EXPECT_FALSE(sameDocument("http://h:81/a", "http://h/a"));
    EXPECT_FALSE(sameDocument("about:blank", "http://h/"));
    EXPECT_FALSE(sameDocument("http://h/a", ""));
}

struct Case {
    const char* what;
    Navigation navigation;
    NavigationVerdict verdict;
};

constexpr const char* kOrigin = "http://movie.test:8080";
using V = NavigationVerdict;

TEST(WebMovieNavigation, KeepsTheWindowInTheMoviesOrigin) {
    const Case cases[] = {
        {"own page", {"http://movie.test:8080/next.html"}, V::Allow},
        {"own frame or form", {"http://movie.test:8080/f", false, true}, V::Allow},
        {"blank frame", {"about:blank"}, V::Allow},
        {"srcdoc frame", {"about:srcdoc"}, V::Allow},
        {"script elsewhere", {"http://other.test/"}, V::Refuse},
        {"other port", {"http://movie.test:8081/"}, V::Refuse},
        {"other scheme", {"https://movie.test:8080/"}, V::Refuse},
        {"local file", {"file:///etc/hostname"}, V::Refuse},
        {"data page", {"data:text/html,<p>"}, V::Refuse},
        {"user's link elsewhere", {"https://other.test/a", true}, V::OpenInBrowser},
        {"user's mail link", {"mailto:a@b.test", true}, V::Refuse},
        {"user's file link", {"file:///etc/hostname", true}, V::Refuse},
        {"form elsewhere", {"http://other.test/post", true, true}, V::Refuse},
        {"redirect elsewhere", {"http://other.test/", true, false, false, true}, V::Refuse},
        {"own redirect", {"http://movie.test:8080/b", false, false, false, true}, V::Allow},
        {"script's window", {"http://other.test/", false, false, true}, V::Refuse},
        {"user's window", {"http://other.test/", true, false, true}, V::OpenInBrowser},
        {"user's own window", {"http://movie.test:8080/", true, false, true}, V::OpenInBrowser},
        {"user's blank window", {"about:blank", true, false, true}, V::Refuse},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(judgeNavigation(kOrigin, "", c.navigation), c.verdict) << c.what;
    }
    EXPECT_EQ(judgeNavigation("", "", {"http://movie.test:8080/"}), V::Refuse) << "no origin yet";
}

TEST(WebMovieNavigation, AdmitsOnlyTheControlsDocumentUntilItArrives) {
    const char* pending = "http://movie.test:8080/movie.html?lang=zh";
    EXPECT_EQ(judgeNavigation(kOrigin, pending, {"http://movie.test:8080/movie.html?lang=zh"}),
              V::Allow);
    EXPECT_EQ(judgeNavigation(kOrigin, pending, {"http://movie.test:8080/other.html"}), V::Refuse)
        << "the page being replaced must not take the new movie's place";
    EXPECT_EQ(judgeNavigation(kOrigin, pending, {"about:blank"}), V::Refuse);
    EXPECT_EQ(
        judgeNavigation(kOrigin, pending, {"http://movie.test:8080/r", false, false, false, true}),
        V::Allow);
    EXPECT_EQ(judgeNavigation(kOrigin, pending, {"http://other.test/r", false, false, false, true}),
              V::Refuse);
    EXPECT_EQ(judgeNavigation("", "about:blank", {"about:blank"}), V::Allow);
    EXPECT_EQ(judgeNavigation(kOrigin, pending, {"https://other.test/", true, false, true}),
              V::OpenInBrowser);
}

}  // namespace
}  // namespace controls::webmovie
