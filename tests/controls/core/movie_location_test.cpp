// The locations a script movie is loaded from, by the rules every control shares.
#include <gtest/gtest.h>

#include "controls/core/movie_source.h"

namespace controls {
namespace {

using Kind = MovieSource::Kind;

TEST(MovieLocation, ResolvesPathsAndUrls) {
    struct Case {
        const char* location;
        Kind kind;
        const char* target;  // the local path, or the remote URL
    };
    const Case cases[] = {
        {"/a/b.txt", Kind::Local, "/a/b.txt"},
        {"/a/b.txt?x=1#f", Kind::Local, "/a/b.txt"},
        {"file:///a/b%20c%E4%BD%A0.txt?q", Kind::Local, "/a/b c你.txt"},
        {"FILE://localhost/a.txt", Kind::Local, "/a.txt"},
        {"http://h:8/m.txt?x=1#frag", Kind::Remote, "http://h:8/m.txt?x=1#frag"},
        {"HTTPS://h/m", Kind::Remote, "HTTPS://h/m"},
    };
    for (const auto& c : cases) {
        auto where = resolveMovieSource(c.location, nullptr);
        ASSERT_TRUE(where) << c.location;
        EXPECT_EQ(where->kind, c.kind) << c.location;
        EXPECT_EQ(where->kind == Kind::Local ? where->path : where->url, c.target) << c.location;
    }
}

// One decoder for every control: a '%' that starts no escape makes the location no location.
TEST(MovieLocation, RefusesOtherLocations) {
    for (const char* location : {"", "movie.txt", "C:\\movies\\a.txt", "file://otherhost/a",
                                 "ftp://h/a", "file:", "file:///a%2", "file:///a%zz"}) {
        std::string error;
        EXPECT_FALSE(resolveMovieSource(location, &error)) << location;
        EXPECT_FALSE(error.empty()) << location;
    }
}

}  // namespace
}  // namespace controls
