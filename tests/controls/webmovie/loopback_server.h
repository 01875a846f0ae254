// A tiny HTTP server on 127.0.0.1 for remote movies: fixed bodies by path, answered from
// worker threads so that clients in this process's main loop are served too.
#pragma once

#include <gio/gio.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace webmovie_test {

class LoopbackServer {
  public:
    struct Body {
        std::string contentType;
        std::string bytes;
        std::string location = {};  // when set, a 302 redirect there instead
        // Sends only this many bytes of `bytes` (announcing them all), then waits for the
        // client to go away: a server that stalls.
        std::size_t sendOnly = std::string::npos;
    };
    // Serves `bodies` by path ("/movie.swf"); any other path gets 404.
    explicit LoopbackServer(std::map<std::string, Body> bodies);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::string url(const std::string& path) const;
    // Serves `body` at `path` from now on (a movie that names the server's own URL).
    void put(const std::string& path, Body body);
    // The paths asked for so far (without query), in order.
    std::vector<std::string> requests() const;
    bool wasAskedFor(const std::string& path) const;

  private:
    // Shared with the worker threads, which may still answer a client after the server is gone.
    struct State {
        std::map<std::string, Body> bodies;
        std::mutex mutex;
        std::vector<std::string> requests;
        struct Answer {
            std::string head, body;
            bool stalls = false;  // the body is cut short, and the connection then held
        };
        Answer answer(const std::string& requestLine);
    };
    static gboolean onRun(GThreadedSocketService*, GSocketConnection* connection, GObject*,
                          gpointer state);

    std::shared_ptr<State> state_;
    GSocketService* service_ = nullptr;
    guint16 port_ = 0;
};

}  // namespace webmovie_test
