// Local HTTP servers on 127.0.0.1 for the length of one test.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

// cpp-httplib cuts an answer down to the request's Range by itself, even a 200 answer, which
// then carries part of the body as if it were all of it. A handler that answers ranges its own
// way calls this first.
void takeOverRanges(const httplib::Request& request);
// Answers a request for one byte range of `body` ("Range: bytes=N-" or "bytes=N-M", given as
// `range`) as a web server does: 206 with "Content-Range: bytes N-last/size" and those bytes
// only, or 416 with "Content-Range: bytes */size" when N is not inside the body. False, leaving
// `response` alone, for any other form: the server then sends the whole body with 200.
bool answerByteRange(const std::string& range, const std::string& body,
                     httplib::Response& response);

// A cpp-httplib server: each path answers with the status and body set for it (unknown paths
// get 404), or with a redirect.
//
// Ranges: a 200 body set with `answer` honours a request for one range as `answerByteRange`
// tells, except for the paths given to `ignoreRanges`, which get 200 and the whole body.
// `served` tells which Range header each request sent and how many body bytes it got back.
class HttpTestServer {
  public:
    // One request, as it came and as it was answered.
    struct Served {
        std::string path;   // decoded
        std::string range;  // the Range header as sent; empty when there was none
        int status = 0;
        std::size_t bodyBytes = 0;
    };

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    void answer(const std::string& path, int status, std::string body);
    // Sends the body in chunks of `chunkSize` bytes with chunked transfer encoding.
    void answerChunked(const std::string& path, std::string body, std::size_t chunkSize);
    void redirect(const std::string& path, const std::string& location);
    // Requests for `path` get 200 and the whole body, whatever range they ask for.
    void ignoreRanges(const std::string& path);
    int port() const { return port_; }
    // The paths requested so far, decoded, in order.
    std::vector<std::string> requests() const;
    // Every request so far, in order.
    std::vector<Served> served() const;

  private:
    struct Reply {
        int status = 404;
        std::string body;
        std::string location;
        std::size_t chunkSize = 0;
    };
    void handle(const httplib::Request& request, httplib::Response& response);

    httplib::Server server_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, Reply> replies_;
    std::set<std::string> ignoringRanges_;
    std::vector<Served> served_;
    std::atomic<bool> listenEnded_{false};
    std::thread thread_;
};

// Bytes a raw server sends after its reply: `piece` `times` times, `pace` apart, or until the
// client goes away.
struct RawStream {
    std::string piece;
    std::size_t times = 0;
    std::chrono::milliseconds pace{0};
};

// Answers every connection with fixed bytes (and then the stream, if any) and then keeps it
// open for `hold` before closing it: for what a server library will not send, such as an
// interim status as the last answer, a body cut short, an endless body or a server that goes
// silent.
class RawHttpServer {
  public:
    explicit RawHttpServer(std::string reply,
                           std::chrono::milliseconds hold = std::chrono::milliseconds(0),
                           RawStream stream = {});
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int port() const { return port_; }
    // The head of the last request received, as sent.
    std::string lastRequest() const;
    // How many connections have been answered to their end: an endless stream ends only when
    // the client goes away.
    int answered() const { return answered_.load(); }

  private:
    void serve();
    void answer(int connection);
    bool stopped() const { return stop_.load(); }

    const std::string reply_;
    const std::chrono::milliseconds hold_;
    const RawStream stream_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    mutable std::mutex mutex_;
    std::string lastRequest_;
    std::thread thread_;
};

}  // namespace test_support
