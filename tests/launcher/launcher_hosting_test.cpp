// The launcher against Debian's nginx configured as docs/hosting.md shows, with a signed release
// published by vexo-make-manifest under a folder of its own: what the access log shows is what
// an operator's server does.
#include <filesystem>

#include "tests/launcher/launcher_fixture.h"
#include "tests/support/nginx_server.h"

namespace launcher_test {
namespace {

namespace fs = std::filesystem;
using test_support::NginxServer;
using test_support::readFile;
using test_support::writeFile;
using Requests = std::vector<NginxServer::Request>;
using namespace std::chrono_literals;

constexpr const char* kImmutable = "public, max-age=31536000, immutable";

// Bytes that do not repeat at any block boundary and do not compress.
std::string noise(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 2463534242u;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state);
    }
    return bytes;
}

std::vector<std::string> urisOf(const Requests& requests) {
    std::vector<std::string> uris;
    for (const auto& request : requests) uris.push_back(request.uri);
    return uris;
}

class LauncherHosting : public LauncherTest {
  protected:
    void SetUp() override {
        LauncherTest::SetUp();
        fs::create_directories(web("vexo"));
        publicKeyLine = runTool(VEXO_KEYGEN, {dir.file("release.key")});
    }

    // nginx is one of the test's children too: it goes before the check that none is left.
    void TearDown() override {
        nginx.reset();
        LauncherTest::TearDown();
    }

    std::string web(const std::string& name) const { return dir.file("www/" + name); }

    // Starts nginx with the site of docs/hosting.md and points the installation at it.
    void serve(const std::string& httpExtra = {}) {
        nginx = std::make_unique<NginxServer>(web(""), readFile(VEXO_HOSTING_SITE), httpExtra);
        ASSERT_TRUE(nginx->running()) << nginx->errorLog();
        writeFile(install("config.properties"),
                  "server.host = 127.0.0.1\nserver.port = " + std::to_string(nginx->port()) +
                      "\nserver.path = /vexo/\n" + publicKeyLine);
    }

    // Lays the files out as an operator does: into the release's own folder, then the tool.
    void publishRelease(int updateNo, const Files& files) {
        const std::string number = std::to_string(updateNo);
        const std::string folder = "files/1.0." + number + "/";
        for (const auto& [name, content] : files) {
            fs::create_directories(fs::path(web("vexo/" + folder + name)).parent_path());
            writeFile(web("vexo/" + folder + name), content);
        }
        runTool(VEXO_MAKE_MANIFEST, {"--sign", dir.file("release.key"), "--files-under", folder,
                                     web("vexo"), number, "1.0." + number});
    }

    std::string runTool(const std::string& tool, const Strings& args) {
        test_support::ProgramRun run(tool, args, dir.path(), {}, dir.file("tool.out"),
                                     dir.file("tool.err"));
        EXPECT_EQ(run.wait(60s), 0) << readFile(dir.file("tool.err"));
        return readFile(dir.file("tool.out"));
    }

    bool installed(const Files& files) const {
        for (const auto& [name, content] : files) {
            if (!fs::exists(install(name)) || readFile(install(name)) != content) return false;
        }
        return true;
    }

    std::string publicKeyLine;
    std::unique_ptr<NginxServer> nginx;
};

TEST_F(LauncherHosting, ASignedReleaseComesFromItsOwnFolderAndTheManifestComesCompressed) {
    publishRelease(4, {{"welcome.swf", "# the splash of release 4\n"}});
    const Files release{{"welcome.swf", "# the splash of release 6\n"},
                        {"data/movie.bin", noise(100000)}};
    publishRelease(6, release);
    serve();
    auto launcher = start();
    ASSERT_TRUE(waitForStart("VexoClientUpdater.exe"));
    EXPECT_EQ(exitOf(*launcher), 0);
    EXPECT_TRUE(installed(release));

    ASSERT_TRUE(nginx->waitForRequests([](const Requests& seen) { return seen.size() >= 4; }));
    const Requests requests = nginx->requests();
    EXPECT_EQ(urisOf(requests),
              (Strings{"/vexo/version.xml", "/vexo/version.xml.sig",
                       "/vexo/files/1.0.6/data/movie.bin", "/vexo/files/1.0.6/welcome.swf"}));
    const auto& manifest = requests[0];
    EXPECT_EQ(manifest.status, 200);
    EXPECT_EQ(manifest.acceptEncoding, "gzip");
    EXPECT_EQ(manifest.contentEncoding, "gzip");
    EXPECT_LT(manifest.bodyBytes, static_cast<long long>(fs::file_size(web("vexo/version.xml"))));
    EXPECT_EQ(manifest.cacheControl, "no-cache");
    EXPECT_EQ(requests[1].cacheControl, "no-cache");
    for (std::size_t i = 2; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].status, 200) << requests[i].uri;
        EXPECT_EQ(requests[i].acceptEncoding, "") << requests[i].uri;
        EXPECT_EQ(requests[i].contentEncoding, "") << requests[i].uri;
        EXPECT_EQ(requests[i].cacheControl, kImmutable) << requests[i].uri;
    }
}

// The first answer of a file is slowed by the test's own rate limit, so that the launcher can be
// stopped with part of it stored; the next start asks for the rest, which nginx sends as 206.
TEST_F(LauncherHosting, ADownloadCutMidwayIsResumedWithARangeThatNginxAnswers206) {
    const std::string movie = noise(1 << 20);
    publishRelease(6, {{"data/movie.bin", movie}});
    serve(
        "    map $http_range $test_rate { \"\" 64k; default 0; }\n"
        "    limit_rate $test_rate;\n    limit_rate_after 64k;\n");
    const std::string partial = install("update/data/movie.bin.vexo-partial");
    std::uintmax_t stored = 0;
    {
        auto launcher = start({}, "ui1.trace");
        ASSERT_TRUE(test_support::waitUntil(
            [&] {
                std::error_code error;
                stored = fs::file_size(partial, error);
                return !error && stored >= (96u << 10);
            },
            60s));
    }  // killed here, and reaped: it starts nothing while downloading
    stored = fs::file_size(partial);
    ASSERT_LT(stored, movie.size());

    auto next = start({}, "ui2.trace");
    ASSERT_TRUE(waitForStart("VexoClientUpdater.exe"));
    EXPECT_EQ(exitOf(*next), 0);
    EXPECT_TRUE(installed({{"data/movie.bin", movie}}));

    const auto resumed = [&](const NginxServer::Request& request) {
        return request.uri == "/vexo/files/1.0.6/data/movie.bin" && !request.range.empty();
    };
    ASSERT_TRUE(nginx->waitForRequests(
        [&](const Requests& seen) { return std::any_of(seen.begin(), seen.end(), resumed); }));
    const Requests requests = nginx->requests();
    const auto rest = std::find_if(requests.begin(), requests.end(), resumed);
    EXPECT_EQ(rest->range, "bytes=" + std::to_string(stored) + "-");
    EXPECT_EQ(rest->status, 206);
    EXPECT_EQ(rest->contentRange, "bytes " + std::to_string(stored) + "-" +
                                      std::to_string(movie.size() - 1) + "/" +
                                      std::to_string(movie.size()));
    EXPECT_EQ(rest->bodyBytes, static_cast<long long>(movie.size() - stored));
    EXPECT_EQ(rest->cacheControl, kImmutable);
}

// The configuration the tests run is the one the operator reads.
TEST(HostingDoc, QuotesTheTestedNginxConfigurationWhole) {
    const std::string doc = readFile(VEXO_HOSTING_DOC);
    const std::string site = readFile(VEXO_HOSTING_SITE);
    EXPECT_NE(doc.find("```nginx\n" + site + "```\n"), std::string::npos)
        << "docs/hosting.md must quote docs/hosting/nginx-vexo.conf as it stands";
}

}  // namespace
}  // namespace launcher_test
