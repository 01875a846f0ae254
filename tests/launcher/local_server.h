// A local HTTP server on 127.0.0.1 for one launcher run: the update server's files or the log
// server's report. Every path is answered from its own list of replies, one per request, the
// last one repeating; a path can be held, so its requests wait until the test lets them go.
// A 200 reply honours a request for one byte range as a web server does (206 with the bytes
// asked for, or 416: test_support::answerByteRange); `served` tells what each request asked
// for and how many body bytes it got.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace launcher_test {

class LocalServer {
  public:
    struct Reply {
        int status = 200;
        std::string body;
        // Announces the body's length but sends only its first half, a few bytes at a time, and
        // then nothing more: a server that trickles a file and never ends it.
        bool trickle = false;
    };
    // One request, as it came and as it was answered.
    struct Served {
        std::string target;  // as sent, percent escapes kept
        std::string range;   // the Range header; empty when there was none
        int status = 0;
        std::size_t bodyBytes = 0;
    };

    LocalServer();
    // Lets held requests go, then stops.
    ~LocalServer();
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    int port() const { return port_; }

    // `path` is the decoded path without the query ("/vexo dir/version.xml"); paths without
    // replies get 404.
    void answer(const std::string& path, std::vector<Reply> replies);
    void answer(const std::string& path, int status, std::string body = {}) {
        answer(path, {Reply{status, std::move(body)}});
    }
    // Requests for `path` wait, unanswered, until `release` (or the destructor).
    void hold(const std::string& path);
    void release(const std::string& path);
    // Runs on the server's thread when a request arrives, before it is answered or held.
    void onRequest(std::function<void(const std::string& target)> hook);

    // The request targets as sent (path and query, percent escapes kept), in order of arrival.
    std::vector<std::string> targets() const;
    // Every request answered so far, in the order of the answers.
    std::vector<Served> served() const;
    // Waits until a request for the decoded `path` has arrived.
    bool waitForRequest(const std::string& path, std::chrono::milliseconds timeout) const;

  private:
    void handle(const httplib::Request& request, httplib::Response& response);
    Reply nextReply(const std::string& path);
    void trickle(httplib::Response& response, const std::string& body);

    httplib::Server server_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable released_;
    std::map<std::string, std::vector<Reply>> replies_;
    std::map<std::string, std::size_t> answered_;
    std::set<std::string> held_;
    std::function<void(const std::string&)> hook_;
    std::vector<std::string> targets_;
    std::vector<std::string> paths_;
    std::vector<Served> served_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
};

}  // namespace launcher_test
