// Local HTTP servers on 127.0.0.1 for the length of one test.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

// A cpp-httplib server: each path answers with the status and body set for it (unknown paths
// get 404), or with a redirect.
class HttpTestServer {
  public:
    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    void answer(const std::string& path, int status, std::string body);
    // Sends the body in chunks of `chunkSize` bytes with chunked transfer encoding.
    void answerChunked(const std::string& path, std::string body, std::size_t chunkSize);
    void redirect(const std::string& path, const std::string& location);
    int port() const { return port_; }
    // The paths requested so far, decoded, in order.
    std::vector<std::string> requests() const;

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
    std::vector<std::string> requests_;
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
