// A tiny HTTP server on 127.0.0.1 for remote movies: fixed bodies by path, answered from
// worker threads so that clients in this process's main loop are served too.
#pragma once

#include <gio/gio.h>

#include <map>
#include <string>

namespace webmovie_test {

class LoopbackServer {
  public:
    struct Body {
        std::string contentType;
        std::string bytes;
    };
    // Serves `bodies` by path ("/movie.swf"); any other path gets 404.
    explicit LoopbackServer(std::map<std::string, Body> bodies);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::string url(const std::string& path) const;

  private:
    static gboolean onRun(GThreadedSocketService*, GSocketConnection* connection, GObject*,
                          gpointer self);
    std::string answer(const std::string& requestLine) const;

    const std::map<std::string, Body> bodies_;
    GSocketService* service_ = nullptr;
    guint16 port_ = 0;
};

}  // namespace webmovie_test
