#include "controls/core/movie_source.h"

#include <gtest/gtest.h>

namespace controls {
namespace {

TEST(MovieSource, TellsRemoteFromLocalMovies) {
    for (const char* url : {"http://127.0.0.1:9/m.swf", "HTTPS://example.test/a?b=1#c"}) {
        auto source = resolveMovieSource(url, nullptr);
        ASSERT_TRUE(source) << url;
        EXPECT_EQ(source->kind, MovieSource::Kind::Remote);
        EXPECT_EQ(source->url, url);
    }
    EXPECT_EQ(resolveMovieSource("HTTPS://example.test/a?b=1&c=%20#d?e", nullptr)->query,
              "b=1&c=%20");
    EXPECT_EQ(resolveMovieSource("http://example.test/a#b?c", nullptr)->query, "");
    auto local = resolveMovieSource("/home/me/电影 1.swf?a=1&b=2#top", nullptr);
    ASSERT_TRUE(local);
    EXPECT_EQ(local->kind, MovieSource::Kind::Local);
    EXPECT_EQ(local->path, "/home/me/电影 1.swf");
    EXPECT_EQ(local->suffix, "?a=1&b=2#top");
    auto file = resolveMovieSource("file://localhost/tmp/my%20movie.html?x", nullptr);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->path, "/tmp/my movie.html");
    EXPECT_EQ(file->suffix, "?x");
    EXPECT_EQ(resolveMovieSource("file:///a.swf", nullptr)->path, "/a.swf");
}

TEST(MovieSource, RejectsOtherLocations) {
    for (const char* location : {"", "movie.swf", "?a=1", "ftp://host/m.swf", "file://other/a.swf",
                                 "file://localhostx/a.swf", "file:///a%2", "file:///a%00b"}) {
        std::string error;
        EXPECT_FALSE(resolveMovieSource(location, &error)) << location;
        EXPECT_FALSE(error.empty()) << location;
    }
}

TEST(MovieSource, SniffsSwfSignatures) {
    EXPECT_TRUE(looksLikeSwf("FWS\x08"));
    EXPECT_TRUE(looksLikeSwf("CWS"));
    EXPECT_TRUE(looksLikeSwf("ZWS\x0D"));
    EXPECT_FALSE(looksLikeSwf("<!DOCTYPE html>"));
    EXPECT_FALSE(looksLikeSwf("FW"));
    EXPECT_FALSE(looksLikeSwf("fws"));
    EXPECT_FALSE(looksLikeSwf("GWS"));
}

}  // namespace
}  // namespace controls
