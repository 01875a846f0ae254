#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>

#include "tests/support/file_text.h"
#include "tests/support/http_test_server.h"
#include "tests/support/logged_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "update/http/http_client.h"
#include "update/http/http_url.h"
#include "update/http/speed_floor.h"

namespace update_test {
namespace {

using namespace std::chrono_literals;
using update::HttpClient;
using Calls = std::vector<std::pair<std::int64_t, int>>;

// Every byte value, zero included, in a pattern that does not repeat at block boundaries.
std::string bodyOf(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + i / 251) % 256);
    return body;
}

// What readToString makes of a body: each 8192-byte block up to its first zero byte.
std::string textOf(const std::string& body) {
    std::string text;
    for (std::size_t at = 0; at < body.size(); at += HttpClient::kBlockSize) {
        const std::string block = body.substr(at, HttpClient::kBlockSize);
        text += block.substr(0, block.find('\0'));
    }
    return text;
}

// The (total, block size) pairs of every progress report for a body of `size` bytes.
Calls blocksOf(std::size_t size) {
    Calls calls;
    for (std::size_t done = 0; done < size;) {
        const std::size_t block = std::min<std::size_t>(HttpClient::kBlockSize, size - done);
        done += block;
        calls.emplace_back(static_cast<std::int64_t>(done), static_cast<int>(block));
    }
    return calls;
}

class Recorder : public update::ProgressListener {
  public:
    explicit Recorder(std::size_t stopOnCall = 0) : stopOnCall_(stopOnCall) {}
    bool onProgress(HttpClient&, std::int64_t total, int blockSize) override {
        calls.emplace_back(total, blockSize);
        return calls.size() != stopOnCall_;
    }
    Calls calls;

  private:
    std::size_t stopOnCall_;
};

class HttpClientTest : public test_support::LoggedTest {
  protected:
    // Short time-outs, so that a client that waits too long fails the test instead of hanging.
    std::unique_ptr<HttpClient> client(int port, const std::string& path,
                                       update::ProgressListener* listener = nullptr,
                                       std::chrono::milliseconds stall = 5s) {
        auto made = std::make_unique<HttpClient>("127.0.0.1", port, path, listener);
        made->setTimeouts({5s, stall});
        return made;
    }
    std::unique_ptr<HttpClient> client(const std::string& path,
                                       update::ProgressListener* listener = nullptr) {
        return client(server_.port(), path, listener);
    }
    test_support::HttpTestServer server_;
    test_support::TempDir dir_;
};

TEST_F(HttpClientTest, BodiesArriveWholeInBlocksOf8192Bytes) {
    for (const std::size_t size : {0, 1, 8191, 8192, 8193, 3 * 8192 + 5, 1 << 21}) {
        SCOPED_TRACE(size);
        const std::string body = bodyOf(size);
        server_.answer("/f", 200, body);
        Recorder recorder;
        auto http = client("/f", &recorder);
        ASSERT_TRUE(http->open());
        ASSERT_TRUE(http->readToFile(dir_.file("f")));
        EXPECT_TRUE(test_support::readFile(dir_.file("f")) == body);
        EXPECT_EQ(recorder.calls, blocksOf(size));

        auto text = client("/f");
        ASSERT_TRUE(text->open());
        EXPECT_TRUE(text->readToString() == textOf(body)) << "each block up to its first zero";
    }
}

TEST_F(HttpClientTest, ReadsEndWithAShortBlockOrZero) {
    const std::pair<std::size_t, std::vector<long>> cases[] = {
        {0, {0}}, {8191, {8191, 0}}, {8192, {8192, 0}}, {8193, {8192, 1, 0}}};
    for (const auto& [size, counts] : cases) {
        server_.answer("/r", 200, bodyOf(size));
        auto http = client("/r");
        ASSERT_TRUE(http->open());
        std::vector<long> got;
        char block[HttpClient::kBlockSize];
        do {
            got.push_back(http->read(block, HttpClient::kBlockSize));
        } while (got.back() > 0 && got.size() < 10);
        EXPECT_EQ(got, counts) << size;
    }
}

TEST_F(HttpClientTest, OnlyA2xxStatusOpensAndOnlyItsBodyIsStored) {
    const std::pair<int, bool> cases[] = {{200, true},  {204, true},  {206, true},
                                          {300, false}, {404, false}, {500, false}};
    for (const auto& [status, opens] : cases) {
        SCOPED_TRACE(status);
        const std::string body = status == 204 ? "" : "body of " + std::to_string(status);
        server_.answer("/s", status, body);
        auto http = client("/s");
        EXPECT_EQ(http->statusCode(), 0u) << "before open";
        EXPECT_EQ(http->open(), opens);
        EXPECT_EQ(http->statusCode(), static_cast<std::uint32_t>(status));
        EXPECT_EQ(http->isStatusOk(), opens);
        EXPECT_TRUE(wasLogged("httpFile.statusCode:" + std::to_string(status)));
        EXPECT_EQ(http->readToString(), opens ? body : "");

        const std::string file = dir_.file(std::to_string(status));
        auto toFile = client("/s");
        EXPECT_EQ(toFile->open(), opens);
        EXPECT_EQ(toFile->readToFile(file), opens);
        EXPECT_EQ(std::filesystem::exists(file), opens) << "a failed open writes no file";
        if (opens) {
            EXPECT_EQ(test_support::readFile(file), body);
        }
    }
}

TEST_F(HttpClientTest, AnInterimStatusAsTheLastAnswerFails) {
    test_support::RawHttpServer raw("HTTP/1.1 199 Odd\r\nContent-Length: 5\r\n\r\nhello");
    auto http = client(raw.port(), "/x");
    EXPECT_FALSE(http->open());
    EXPECT_EQ(http->statusCode(), 199u);
    EXPECT_TRUE(wasLogged("httpFile.statusCode:199"));
    EXPECT_EQ(http->readToString(), "");
}

TEST_F(HttpClientTest, NoServerMeansNoStatus) {
    int port = 0;
    { port = test_support::RawHttpServer("").port(); }  // closed again: connections are refused
    auto http = client(port, "/x");
    EXPECT_FALSE(http->open());
    EXPECT_EQ(http->statusCode(), 0u);
    for (const std::string& line : logged())
        EXPECT_EQ(line.find("httpFile.statusCode"), std::string::npos);
    EXPECT_FALSE(HttpClient("127.0.0.1", 70000, "/x").open()) << "no such port";
}

TEST_F(HttpClientTest, AListenerCanStopTheTransfer) {
    server_.answer("/big", 200, bodyOf(3 * 8192));
    Recorder stopFirst(1);
    auto toFile = client("/big", &stopFirst);
    ASSERT_TRUE(toFile->open());
    EXPECT_FALSE(toFile->readToFile(dir_.file("big")));
    EXPECT_EQ(test_support::readFile(dir_.file("big")), "");
    EXPECT_TRUE(std::filesystem::exists(dir_.file("big")));

    Recorder stopSecond(2);
    auto toText = client("/big", &stopSecond);
    ASSERT_TRUE(toText->open());
    EXPECT_TRUE(toText->readToString() == textOf(bodyOf(3 * 8192).substr(0, 8192)));
    EXPECT_EQ(stopSecond.calls, blocksOf(2 * 8192));
}

TEST_F(HttpClientTest, ABodyCutShortFailsAndKeepsTheWholeBlocks) {
    const std::string body = bodyOf(20000);
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 20000\r\n\r\n";
    test_support::RawHttpServer raw(head + body.substr(0, 10000));
    auto toFile = client(raw.port(), "/cut");
    ASSERT_TRUE(toFile->open());
    EXPECT_FALSE(toFile->readToFile(dir_.file("cut")));
    EXPECT_TRUE(test_support::readFile(dir_.file("cut")) == body.substr(0, 8192));

    auto toText = client(raw.port(), "/cut");
    ASSERT_TRUE(toText->open());
    EXPECT_TRUE(toText->readToString() == textOf(body.substr(0, 8192)))
        << "the text received so far";
}

TEST_F(HttpClientTest, ASilentServerTimesOut) {
    const auto started = std::chrono::steady_clock::now();
    test_support::RawHttpServer silent("", 20s);
    auto http = client(silent.port(), "/x", nullptr, 300ms);
    EXPECT_FALSE(http->open());
    EXPECT_EQ(http->statusCode(), 0u);
    EXPECT_TRUE(wasLogged("HttpClient::open:no data from the server for 300 ms"));

    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 20000\r\n\r\n";
    test_support::RawHttpServer stalling(head + bodyOf(10000), 20s);
    auto stalled = client(stalling.port(), "/y", nullptr, 300ms);
    ASSERT_TRUE(stalled->open());
    EXPECT_FALSE(stalled->readToFile(dir_.file("y")));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << "the stall time-out is 300 ms";
}

// 64 KiB of zero bytes, far more times than the limit allows.
test_support::RawStream endlessZeros() { return {std::string(64 << 10, '\0'), 1u << 20, 0ms}; }

TEST_F(HttpClientTest, AnEndlessBodyOfZeroBytesStopsWhenTheLimitHasArrived) {
    test_support::RawHttpServer zeros("HTTP/1.1 200 OK\r\n\r\n", 0ms, endlessZeros());
    Recorder recorder;
    auto http = client(zeros.port(), "/version.xml", &recorder);
    ASSERT_TRUE(http->open());
    EXPECT_EQ(http->readToString(), "");
    EXPECT_TRUE(wasLogged("HttpClient::readToString:body too large"));
    ASSERT_FALSE(recorder.calls.empty());
    EXPECT_EQ(recorder.calls.back().first,
              static_cast<std::int64_t>(HttpClient::kMaxTextSize + HttpClient::kBlockSize))
        << "the first block past the limit ends it";
}

// A server that sends a byte every 20 ms never stalls; only the deadline ends it. Without
// one, the whole stream would arrive.
TEST_F(HttpClientTest, TheOverallDeadlineEndsABodyThatNeverStalls) {
    test_support::RawHttpServer trickle("HTTP/1.1 200 OK\r\n\r\n", 0ms, {"a", 3000, 20ms});
    auto http = std::make_unique<HttpClient>("127.0.0.1", trickle.port(), "/version.xml");
    http->setTimeouts({5s, 5s, 300ms});
    const bool opened = http->open();
    const std::string text = http->readToString();
    EXPECT_LT(text.size(), 3000u);
    EXPECT_EQ(text, std::string(text.size(), 'a'));
    if (!opened) {
        EXPECT_TRUE(wasLogged("HttpClient::open:no complete answer within 300 ms"));
    }
}

TEST_F(HttpClientTest, AFileThatCannotBeCreatedFails) {
    server_.answer("/f", 200, "data");
    auto http = client("/f");
    ASSERT_TRUE(http->open());
    const std::string path = dir_.file("no/such/dir/f");
    EXPECT_FALSE(http->readToFile(path));
    EXPECT_TRUE(wasLogged("HttpClient::readToFile:cannot create " + path));
}

TEST_F(HttpClientTest, ALinkOrAPipeAtTheFilesPlaceIsNotWrittenThrough) {
    server_.answer("/f", 200, "data");
    test_support::writeFile(dir_.file("target"), "kept");
    std::filesystem::create_symlink(dir_.file("target"), dir_.file("link"));
    ASSERT_EQ(mkfifo(dir_.file("pipe").c_str(), 0600), 0);
    for (const char* name : {"link", "pipe"}) {
        SCOPED_TRACE(name);
        auto http = client("/f");
        ASSERT_TRUE(http->open());
        EXPECT_FALSE(http->readToFile(dir_.file(name)));
    }
    EXPECT_EQ(test_support::readFile(dir_.file("target")), "kept");
}

TEST_F(HttpClientTest, ChunkedBodiesAndRedirectsArriveWhole) {
    const std::string body = bodyOf(20000);
    server_.answerChunked("/chunked", body, 1000);
    server_.redirect("/old", "/chunked");
    Recorder recorder;
    auto http = client("/old", &recorder);
    ASSERT_TRUE(http->open());
    EXPECT_EQ(http->statusCode(), 200u);
    ASSERT_TRUE(http->readToFile(dir_.file("c")));
    EXPECT_TRUE(test_support::readFile(dir_.file("c")) == body);
    EXPECT_EQ(recorder.calls, blocksOf(20000));
    EXPECT_EQ(server_.requests(), (std::vector<std::string>{"/old", "/chunked"}));
}

TEST_F(HttpClientTest, ThePathIsSentAsItStands) {
    test_support::RawHttpServer raw("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    const std::pair<std::string, std::string> cases[] = {
        {"/vexo/../a%4A/version.xml?x=1", "GET /vexo/../a%4A/version.xml?x=1 HTTP/1.1"},
        {"version.xml", "GET /version.xml HTTP/1.1"},
        {"/a b#c\r\nX-Injected: 1", "GET /a%20b%23c%0D%0AX-Injected:%201 HTTP/1.1"},
        {"/名", "GET /%E5%90%8D HTTP/1.1"},
    };
    for (const auto& [path, requestLine] : cases) {
        ASSERT_TRUE(client(raw.port(), path)->open()) << path;
        const std::string request = raw.lastRequest();
        EXPECT_EQ(request.substr(0, request.find("\r\n")), requestLine);
        EXPECT_EQ(request.find("\nX-Injected"), std::string::npos);
    }
}

TEST_F(HttpClientTest, RequestsGoThroughTheProxyOfTheEnvironment) {
    test_support::RawHttpServer proxy("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nproxied");
    const test_support::ScopedEnv viaProxy(
        "http_proxy", ("http://127.0.0.1:" + std::to_string(proxy.port())).c_str());
    const test_support::ScopedEnv noExceptions("no_proxy", "");
    const test_support::ScopedEnv noExceptionsUpper("NO_PROXY", "");
    auto http = client(server_.port(), "/v/version.xml");
    ASSERT_TRUE(http->open());
    EXPECT_EQ(http->readToString(), "proxied");
    const std::string request = proxy.lastRequest();
    EXPECT_EQ(request.substr(0, request.find("\r\n")),
              "GET http://127.0.0.1:" + std::to_string(server_.port()) + "/v/version.xml HTTP/1.1");
}

// Resuming a body of 20000 bytes of which the first 12000 are stored.
class HttpResumeTest : public HttpClientTest {
  protected:
    static constexpr std::int64_t kStored = 12000;
    void SetUp() override {
        HttpClientTest::SetUp();
        server_.answer("/f", 200, body_);
    }
    std::unique_ptr<HttpClient> resuming(int port, std::int64_t offset = kStored,
                                         update::ProgressListener* listener = nullptr) {
        auto made = client(port, "/f", listener);
        made->setResumeFrom(offset);
        return made;
    }
    const std::string body_ = bodyOf(20000);
    const std::string file_ = dir_.file("f");
};

TEST_F(HttpResumeTest, AnHonouredRangeAppendsTheRestAndCountsFromTheFilesStart) {
    test_support::writeFile(file_, body_.substr(0, kStored));
    Recorder recorder;
    auto http = resuming(server_.port(), kStored, &recorder);
    ASSERT_TRUE(http->open());
    EXPECT_EQ(http->statusCode(), 206u);
    EXPECT_TRUE(http->resumed());
    ASSERT_TRUE(http->readToFile(file_));
    EXPECT_TRUE(test_support::readFile(file_) == body_);
    EXPECT_EQ(recorder.calls, (Calls{{20000, 8000}})) << "the offset counts in the totals";
    const auto served = server_.served();
    ASSERT_EQ(served.size(), 1u);
    EXPECT_EQ(served[0].range, "bytes=12000-");
    EXPECT_EQ(served[0].status, 206);
    EXPECT_EQ(served[0].bodyBytes, 8000u) << "only the missing bytes are sent";
}

TEST_F(HttpResumeTest, NoOffsetSendsNoRange) {
    for (const std::int64_t offset : {0, -5}) {
        auto http = resuming(server_.port(), offset);
        ASSERT_TRUE(http->open());
        EXPECT_FALSE(http->resumed());
        EXPECT_EQ(http->readToString().size(), textOf(body_).size());
    }
    for (const auto& served : server_.served()) EXPECT_EQ(served.range, "");
}

TEST_F(HttpResumeTest, AServerIgnoringTheRangeReplacesTheFileWithTheWholeBody) {
    server_.ignoreRanges("/f");
    test_support::writeFile(file_, std::string(kStored, 'x'));
    Recorder recorder;
    auto http = resuming(server_.port(), kStored, &recorder);
    ASSERT_TRUE(http->open());
    EXPECT_EQ(http->statusCode(), 200u);
    EXPECT_FALSE(http->resumed());
    ASSERT_TRUE(http->readToFile(file_));
    EXPECT_TRUE(test_support::readFile(file_) == body_) << "replaced, not appended";
    EXPECT_EQ(recorder.calls, blocksOf(20000));
    ASSERT_EQ(server_.served().size(), 1u);
    EXPECT_EQ(server_.served()[0].range, "bytes=12000-");
}

TEST_F(HttpResumeTest, AnOffsetAtOrPastTheEndIsRefusedWith416) {
    auto http = resuming(server_.port(), 20000);
    EXPECT_FALSE(http->open());
    EXPECT_EQ(http->statusCode(), 416u);
    EXPECT_FALSE(http->resumed());
    EXPECT_FALSE(http->readToFile(file_));
    EXPECT_FALSE(std::filesystem::exists(file_));
}

// A 206 that is not the rest from the offset would put the wrong bytes after the stored ones.
TEST_F(HttpResumeTest, A206FromAnotherOffsetDoesNotOpen) {
    const std::string ranges[] = {"bytes 0-19999/20000",
                                  "bytes 12001-19999/20000",
                                  "bytes 12000-11999/20000",
                                  "bytes 12000-20000/20000",
                                  "bytes */20000",
                                  "items 12000-19999/20000",
                                  ""};
    const std::string stored = body_.substr(0, kStored);
    test_support::writeFile(file_, stored);
    for (const std::string& range : ranges) {
        SCOPED_TRACE(range);
        const std::string head = "HTTP/1.1 206 Partial Content\r\nContent-Length: 8000\r\n" +
                                 (range.empty() ? "" : "Content-Range: " + range + "\r\n");
        test_support::RawHttpServer raw(head + "\r\n" + body_.substr(kStored));
        auto http = resuming(raw.port());
        EXPECT_FALSE(http->open());
        EXPECT_EQ(http->statusCode(), 206u);
        EXPECT_FALSE(http->resumed());
        EXPECT_FALSE(http->readToFile(file_));
        EXPECT_NE(raw.lastRequest().find("\r\nRange: bytes=12000-"), std::string::npos);
        EXPECT_TRUE(
            wasLogged("HttpClient::open:not the rest from the resume offset: "
                      "Content-Range " +
                      (range.empty() ? "missing" : range)));
    }
    EXPECT_TRUE(test_support::readFile(file_) == stored);
}

TEST_F(HttpResumeTest, TheRestGoesOnlyAfterARegularFileOfTheOffsetsLength) {
    const std::string shortFile = dir_.file("short");
    test_support::writeFile(shortFile, body_.substr(0, kStored - 1));
    test_support::writeFile(dir_.file("target"), body_.substr(0, kStored));
    std::filesystem::create_symlink(dir_.file("target"), dir_.file("link"));
    for (const char* name : {"short", "link", "missing"}) {
        SCOPED_TRACE(name);
        auto http = resuming(server_.port());
        ASSERT_TRUE(http->open());
        ASSERT_TRUE(http->resumed());
        EXPECT_FALSE(http->readToFile(dir_.file(name)));
        EXPECT_TRUE(wasLogged("HttpClient::readToFile:cannot append to " + dir_.file(name)));
    }
    EXPECT_TRUE(test_support::readFile(shortFile) == body_.substr(0, kStored - 1));
    EXPECT_TRUE(test_support::readFile(dir_.file("target")) == body_.substr(0, kStored));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("missing")));
}

TEST(HttpContentRange, OnlyAWellFormedRangeGivesItsStart) {
    EXPECT_EQ(update::contentRangeStart("bytes 100-199/200"), 100);
    EXPECT_EQ(update::contentRangeStart("bytes 0-0/1"), 0);
    EXPECT_EQ(update::contentRangeStart("bytes 100-199/*"), 100);
    for (const char* bad : {"", "bytes", "bytes */200", "bytes 100-99/200", "bytes 100-200/200",
                            "bytes -1-5/10", "bytes +1-5/10", "bytes 1-5/", "bytes 1 -5/10",
                            "bytes 1-5", "bytes 99999999999999999999-1/2", "pages 1-5/10"}) {
        EXPECT_EQ(update::contentRangeStart(bad), std::nullopt) << bad;
    }
}

TEST(HttpSpeedFloor, EachWindowOfWaitingMustBringTheFloorTimesTheWindow) {
    update::SpeedFloor floor(1000, 200ms);
    EXPECT_EQ(floor.bytesPerWindow(), 200u);
    EXPECT_TRUE(floor.keepsUp(150ms, 0)) << "the window is not over";
    EXPECT_EQ(floor.left(), 50ms);
    EXPECT_TRUE(floor.keepsUp(50ms, 200)) << "exactly the floor";
    EXPECT_EQ(floor.left(), 200ms) << "the next window starts";
    EXPECT_FALSE(floor.keepsUp(250ms, 399)) << "counted from the window's start";

    update::SpeedFloor next(1000, 200ms);
    EXPECT_TRUE(next.keepsUp(200ms, 5000));
    EXPECT_TRUE(next.keepsUp(199ms, 5000));
    EXPECT_FALSE(next.keepsUp(1ms, 5199));

    EXPECT_EQ(update::SpeedFloor(1001, 200ms).bytesPerWindow(), 201u) << "rounded up";
}

TEST(HttpSpeedFloor, NoFloorOrNoWindowChecksNothing) {
    for (update::SpeedFloor floor : {update::SpeedFloor(0, 200ms), update::SpeedFloor(1000, 0ms)}) {
        EXPECT_TRUE(floor.keepsUp(1h, 0));
        EXPECT_EQ(floor.left(), update::SpeedFloor::Duration::max());
    }
}

TEST(HttpDownloadTimeouts, TheDeadlineGrowsWithTheLengthAtTheFloorSpeed) {
    const auto small = update::downloadTimeouts(0);
    EXPECT_EQ(small.floorSpeed, 8192);
    EXPECT_EQ(small.floorWindow, 30s);
    EXPECT_EQ(small.total, 60s);
    EXPECT_EQ(update::downloadTimeouts(-1).total, 60s);
    EXPECT_EQ(update::downloadTimeouts(100 * 8192).total, 160s);
    EXPECT_EQ(update::downloadTimeouts(std::int64_t{1} << 40).total,
              60s + std::chrono::seconds((std::int64_t{1} << 40) / 8192));
}

TEST_F(HttpClientTest, TheDeadlineOfAnyLengthStillLetsADownloadRun) {
    server_.answer("/f", 200, "data");
    auto http = client("/f");
    http->setTimeouts(update::downloadTimeouts(std::numeric_limits<std::int64_t>::max()));
    ASSERT_TRUE(http->open());
    EXPECT_EQ(http->readToString(), "data");
}

// 1 byte every 50 ms against a floor of 1024 bytes a second over 200 ms: the first window
// fails it, long before the 100 bytes of the body, all that would arrive without a floor.
TEST_F(HttpClientTest, ABodyBelowTheFloorSpeedFails) {
    test_support::RawHttpServer trickle("HTTP/1.1 200 OK\r\n\r\n", 0ms, {"a", 100, 50ms});
    auto http = client(trickle.port(), "/f");
    http->setTimeouts({5s, 5s, 0ms, 1024, 200ms});
    ASSERT_TRUE(http->open()) << "the head is not held to the floor";
    EXPECT_FALSE(http->readToFile(dir_.file("f")));
    EXPECT_TRUE(
        wasLogged("HttpClient::readToFile:fewer than 205 bytes in 200 ms of waiting for data"));
    EXPECT_LT(test_support::readFile(dir_.file("f")).size(), 100u);
}

// 4096 bytes every 20 ms, many times the floor of 1024 bytes a second over 1 s, over many
// windows: the floor lets a steady body through whole.
TEST_F(HttpClientTest, ABodyAboveTheFloorSpeedArrivesWhole) {
    test_support::RawHttpServer steady("HTTP/1.1 200 OK\r\n\r\n", 0ms,
                                       {std::string(4096, 'b'), 60, 20ms});
    auto http = client(steady.port(), "/f");
    http->setTimeouts({5s, 5s, 0ms, 1024, 1s});
    ASSERT_TRUE(http->open());
    EXPECT_TRUE(http->readToFile(dir_.file("f")));
    EXPECT_EQ(test_support::readFile(dir_.file("f")).size(), 60u * 4096);
}

TEST(HttpRequestUrl, PortZeroIsTheDefaultPortAndBadAddressesAreRefused) {
    EXPECT_EQ(update::requestUrl("example.org", 0, "/v/x"), "http://example.org/v/x");
    EXPECT_EQ(update::requestUrl("10.1.2.3", 8080, "x"), "http://10.1.2.3:8080/x");
    EXPECT_EQ(update::requestUrl("::1", 81, "/"), "http://[::1]:81/");
    EXPECT_EQ(update::requestUrl("[::1]", 0, "/"), "http://[::1]/");
    for (const auto& [host, port] : std::vector<std::pair<std::string, int>>{
             {"", 80}, {"h", -1}, {"h", 65536}, {"a b", 80}, {"evil@h", 80}, {"h/x", 80}}) {
        EXPECT_EQ(update::requestUrl(host, port, "/"), std::nullopt) << host << " " << port;
    }
}

}  // namespace
}  // namespace update_test
