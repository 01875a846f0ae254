// A remote movie read whole is bounded in size and in time: a server that never stops, or one
// that trickles, ends in a failed load instead of a player that grows or waits for ever.
#include "controls/webmovie/remote_fetch.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "tests/support/http_test_server.h"

namespace controls::webmovie {
namespace {

using namespace std::chrono_literals;
using Kind = RemoteFetch::Result::Kind;

constexpr std::size_t kLimit = 256 * 1024;
const char* const kSwfHead =
    "HTTP/1.1 200 OK\r\nContent-Type: application/x-shockwave-flash\r\n"
    "Connection: close\r\n\r\nFWS";

// Runs the default main context until `done` holds; a safety net only, never a measure.
template <class Condition>
bool iterateUntil(Condition done) {
    const gint64 end = g_get_monotonic_time() + G_GINT64_CONSTANT(120) * G_USEC_PER_SEC;
    while (!done() && g_get_monotonic_time() < end) g_main_context_iteration(nullptr, FALSE);
    return done();
}

// A server that answers every request with `body` and closes the connection.
std::unique_ptr<test_support::RawHttpServer> serving(const std::string& body) {
    return std::make_unique<test_support::RawHttpServer>(
        "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
}

class RemoteFetchTest : public ::testing::Test {
  protected:
    RemoteFetch::Result fetch(const std::string& url,
                              FetchLimits limits = {kLimit, std::chrono::minutes(2)}) {
        RemoteFetch fetcher(limits);
        std::optional<RemoteFetch::Result> result;
        fetcher.start(url, [&](RemoteFetch::Result r) { result = std::move(r); });
        EXPECT_TRUE(iterateUntil([&] { return result.has_value(); })) << url;
        return result.value_or(RemoteFetch::Result{});
    }
    static std::string url(int port, const std::string& path) {
        return "http://127.0.0.1:" + std::to_string(port) + path;
    }
};

TEST_F(RemoteFetchTest, AMovieUpToTheSizeBoundIsReadWhole) {
    const std::string swf = "FWS" + std::string(kLimit - 3, '\x01');
    const std::string text(kLimit, 'x');
    auto movie = fetch(url(serving(swf)->port(), "/movie.swf"));
    EXPECT_EQ(movie.kind, Kind::Swf) << movie.error;
    EXPECT_EQ(movie.body, swf);
    auto document = fetch(url(serving(text)->port(), "/movie.txt"));
    EXPECT_EQ(document.kind, Kind::Document) << document.error;
    EXPECT_EQ(document.body, text);
}

TEST_F(RemoteFetchTest, AMovieBeyondTheSizeBoundFails) {
    auto swf = serving("FWS" + std::string(kLimit - 2, '\x01'));
    auto text = serving(std::string(kLimit + 1, 'x'));
    EXPECT_EQ(fetch(url(swf->port(), "/movie.swf")).kind, Kind::Failed);
    EXPECT_EQ(fetch(url(text->port(), "/movie.txt")).kind, Kind::Failed);
}

TEST_F(RemoteFetchTest, AnEndlessMovieFailsAtTheSizeBoundAndItsConnectionIsDropped) {
    test_support::RawHttpServer server(kSwfHead, 0ms,
                                       {std::string(16 * 1024, '\0'), SIZE_MAX, 0ms});
    auto result = fetch(url(server.port(), "/endless.swf"));
    EXPECT_EQ(result.kind, Kind::Failed);
    EXPECT_NE(result.error.find("larger than"), std::string::npos) << result.error;
    EXPECT_TRUE(iterateUntil([&] { return server.answered() == 1; }))
        << "the server is still sending";
}

TEST_F(RemoteFetchTest, ATricklingMovieFailsAtTheDeadline) {
    test_support::RawHttpServer server(kSwfHead, 0ms, {"x", SIZE_MAX, 20ms});
    auto result = fetch(url(server.port(), "/trickle.swf"), {kLimit, 1s});
    EXPECT_EQ(result.kind, Kind::Failed);
    EXPECT_NE(result.error.find("no end after"), std::string::npos) << result.error;
    EXPECT_TRUE(iterateUntil([&] { return server.answered() == 1; }));
}

TEST_F(RemoteFetchTest, TheDeadlineCoversAServerThatNeverAnswers) {
    test_support::RawHttpServer server("HTTP/1.1 200 OK\r\n", 60s);
    auto result = fetch(url(server.port(), "/silent.swf"), {kLimit, 1s});
    EXPECT_EQ(result.kind, Kind::Failed);
    EXPECT_NE(result.error.find("no end after"), std::string::npos) << result.error;
}

}  // namespace
}  // namespace controls::webmovie
