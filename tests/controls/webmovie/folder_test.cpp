#include "controls/webmovie/folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "controls/core/movie_source.h"
#include "controls/webmovie/served_files.h"
#include "tests/support/temp_dir.h"

namespace controls::webmovie {
namespace {

namespace fs = std::filesystem;

// What openFile gives: the file's text, or "<none>".
std::string contentOf(const Folder& folder, std::string_view relative) {
    int fd = folder.openFile(relative);
    if (fd < 0) return "<none>";
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
    close(fd);
    return text;
}

class WebMovieFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.path().empty());
        movie_ = base_ / "movie";
        fs::create_directories(movie_ / "sub");
        write(movie_ / "m.html", "movie");
        write(movie_ / "sub" / "b.js", "inside");
        write(base_ / "secret.txt", "outside");
    }
    static void write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    test_support::TempDir temp_;
    fs::path base_{temp_.path()}, movie_;
};

TEST_F(WebMovieFolder, OpensRegularFilesBelowIt) {
    auto folder = Folder::open(movie_.string());
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->path(), movie_.string());
    EXPECT_EQ(contentOf(*folder, "m.html"), "movie");
    EXPECT_EQ(contentOf(*folder, "sub/b.js"), "inside");
    for (const char* bad : {"", "missing", "sub", "sub/", "/m.html", "sub//b.js", "./m.html",
                            "sub/../m.html", "../secret.txt", ".."}) {
        EXPECT_EQ(contentOf(*folder, bad), "<none>") << bad;
    }
    EXPECT_EQ(contentOf(*folder, std::string_view("m.html\0x", 8)), "<none>");
    EXPECT_FALSE(Folder::open((movie_ / "m.html").string()));
    EXPECT_FALSE(Folder::open((base_ / "missing").string()));
}

// The links a hostile movie plants in its own folder lead nowhere, wherever they point.
TEST_F(WebMovieFolder, FollowsNoLinks) {
    fs::create_directory_symlink("/", movie_ / "root");
    fs::create_directory_symlink(base_, movie_ / "up");
    fs::create_symlink(base_ / "secret.txt", movie_ / "secret.txt");
    fs::create_symlink(movie_ / "m.html", movie_ / "alias.html");
    fs::create_directory_symlink(movie_ / "sub", movie_ / "subalias");
    auto folder = Folder::open(movie_.string());
    ASSERT_TRUE(folder);
    for (const char* linked : {"root/etc/hostname", "root/etc/passwd", "up/secret.txt",
                               "secret.txt", "alias.html", "subalias/b.js"}) {
        EXPECT_EQ(contentOf(*folder, linked), "<none>") << linked;
    }
}

TEST_F(WebMovieFolder, OpensNoPipeOrDeviceAndNeverWaits) {
    ASSERT_EQ(mkfifo((movie_ / "pipe").c_str(), 0600), 0);
    auto folder = Folder::open(movie_.string());
    ASSERT_TRUE(folder);
    EXPECT_EQ(contentOf(*folder, "pipe"), "<none>");  // would wait for a writer if opened
    auto dev = Folder::open("/dev");
    ASSERT_TRUE(dev);
    EXPECT_EQ(contentOf(*dev, "null"), "<none>");
}

// The folder is the one opened: moving another directory into its place changes nothing.
TEST_F(WebMovieFolder, StaysTheFolderItWasWhenOpened) {
    auto folder = Folder::open(movie_.string());
    ASSERT_TRUE(folder);
    fs::rename(movie_, base_ / "moved");
    fs::create_directory_symlink("/", movie_);
    EXPECT_EQ(contentOf(*folder, "m.html"), "movie");
    EXPECT_EQ(contentOf(*folder, "etc/hostname"), "<none>");
}

TEST(WebMovieServedPath, NamesTheControlsFilesAndTheMoviesFolder) {
    using K = ServedPath::Kind;
    const struct {
        const char* urlPath;
        const char* folder;
        K kind;
        const char* relative;
    } cases[] = {
        {"/.webmovie/player.html", "/m", K::PlayerPage, ""},
        {"/.webmovie/ruffle/core.ruffle.1.js", "", K::RuffleFile, "core.ruffle.1.js"},
        {"/m/a.swf", "/m", K::MovieFile, "a.swf"},
        {"/m/a.swf", "/m/", K::MovieFile, "a.swf"},
        {"/data/sub/%E4%BD%A0%20b.png", "/data", K::MovieFile, "sub/你 b.png"},
        {"/anything/x", "/", K::MovieFile, "anything/x"},
        {"/.webmovie/ruffle/.hidden", "", K::None, ""},
        {"/.webmovie/ruffle/a/b.js", "", K::None, ""},
        {"/.webmovie/ruffle/..", "", K::None, ""},
        {"/.webmovie/ruffle/", "", K::None, ""},
        {"/mx/a.swf", "/m", K::None, ""},
        {"/m", "/m", K::None, ""},
        {"/m/", "/m", K::None, ""},
        {"/etc/passwd", "/m", K::None, ""},
        {"/m/../etc/passwd", "/m", K::None, ""},
        {"/m/%2E%2E/etc/passwd", "/m", K::None, ""},
        {"/m/%2e%2e%2fetc/passwd", "/m", K::None, ""},
        {"/m/./a", "/m", K::None, ""},
        {"/m//a", "/m", K::None, ""},
        {"/m/a%00b", "/m", K::None, ""},
        {"/m/%zz", "/m", K::None, ""},
        {"/m/a.swf", "", K::None, ""},
        {"/m/a.swf", "m", K::None, ""},
    };
    for (const auto& c : cases) {
        ServedPath path = resolveServedPath(c.urlPath, c.folder);
        EXPECT_EQ(path.kind, c.kind) << c.urlPath << " in " << c.folder;
        EXPECT_EQ(path.relative, c.relative) << c.urlPath << " in " << c.folder;
    }
}

TEST(WebMovieServedFiles, EncodesAndDecodesPaths) {
    EXPECT_EQ(directoryOf("/a/b/c.swf"), "/a/b");
    EXPECT_EQ(directoryOf("/c.swf"), "/");
    EXPECT_EQ(encodeUrlPath("/a b/你.swf"), "/a%20b/%E4%BD%A0.swf");
    EXPECT_EQ(decodePercent(encodeUrlPath("/a b/你?#%.swf")), "/a b/你?#%.swf");
}

TEST(WebMovieServedFiles, NamesMimeTypesByExtension) {
    EXPECT_EQ(mimeTypeFor("/r/826bb0938097485a2c9d.wasm"), "application/wasm");
    EXPECT_EQ(mimeTypeFor("/r/core.ruffle.c80159b526e567babaf5.js"), "text/javascript");
    EXPECT_EQ(mimeTypeFor("/m/Movie.SWF"), "application/x-shockwave-flash");
    EXPECT_EQ(mimeTypeFor("/m/page.HTM"), "text/html");
    EXPECT_EQ(mimeTypeFor("/m.d/noextension"), "application/octet-stream");
    EXPECT_EQ(mimeTypeFor("/m/x.unknown"), "application/octet-stream");
}

}  // namespace
}  // namespace controls::webmovie
