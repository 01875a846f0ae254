#include "controls/scriptmovie/movie_location.h"

#include <gtest/gtest.h>

namespace controls::scriptmovie {
namespace {

using Kind = MovieLocation::Kind;

TEST(MovieLocation, ResolvesPathsAndUrls) {
    struct Case {
        const char* location;
        Kind kind;
        const char* target;
    };
    const Case cases[] = {
        {"/a/b.txt", Kind::File, "/a/b.txt"},
        {"/a/b.txt?x=1#f", Kind::File, "/a/b.txt"},
        {"file:///a/b%20c%E4%BD%A0.txt?q", Kind::File, "/a/b c你.txt"},
        {"FILE://localhost/a.txt", Kind::File, "/a.txt"},
        {"file:///a%2", Kind::File, "/a%2"},
        {"file:///a%zz", Kind::File, "/a%zz"},
        {"http://h:8/m.txt?x=1#frag", Kind::Http, "http://h:8/m.txt?x=1"},
        {"HTTPS://h/m", Kind::Http, "HTTPS://h/m"},
    };
    for (const auto& c : cases) {
        auto where = resolveMovieLocation(c.location);
        ASSERT_TRUE(where) << c.location;
        EXPECT_EQ(where->kind, c.kind) << c.location;
        EXPECT_EQ(where->target, c.target) << c.location;
    }
}

TEST(MovieLocation, RefusesOtherLocations) {
    for (const char* location :
         {"", "movie.txt", "C:\\movies\\a.txt", "file://otherhost/a", "ftp://h/a", "file:"}) {
        std::string error;
        EXPECT_FALSE(resolveMovieLocation(location, &error)) << location;
        EXPECT_FALSE(error.empty()) << location;
    }
}

}  // namespace
}  // namespace controls::scriptmovie
