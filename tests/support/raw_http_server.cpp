#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/http_test_server.h"

namespace test_support {

namespace {

constexpr int kSliceMs = 20;

bool readable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, timeoutMs) > 0;
}

// False once the client has gone away.
bool sendAll(int connection, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t count =
            send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) return false;
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace

RawHttpServer::RawHttpServer(std::string reply, std::chrono::milliseconds hold, RawStream stream)
    : reply_(std::move(reply)), hold_(hold), stream_(std::move(stream)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 8);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

RawHttpServer::~RawHttpServer() {
    stop_ = true;
    thread_.join();
    close(listener_);
}

std::string RawHttpServer::lastRequest() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastRequest_;
}

void RawHttpServer::serve() {
    while (!stopped()) {
        if (!readable(listener_, kSliceMs)) continue;
        const int connection = accept(listener_, nullptr, nullptr);
        if (connection < 0) continue;
        answer(connection);
        close(connection);
        ++answered_;
    }
}

// Reads the request head, sends the reply and the stream, then stays silent for the hold time.
void RawHttpServer::answer(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && readable(connection, 2000)) {
        const ssize_t count = recv(connection, buffer, sizeof buffer, 0);
        if (count <= 0) break;
        request.append(buffer, static_cast<std::size_t>(count));
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lastRequest_ = request.substr(0, request.find("\r\n\r\n"));
    }
    bool open = sendAll(connection, reply_);
    for (std::size_t i = 0; open && i < stream_.times && !stopped(); ++i) {
        if (stream_.pace.count() > 0) usleep(static_cast<useconds_t>(stream_.pace.count() * 1000));
        open = sendAll(connection, stream_.piece);
    }
    const auto until = std::chrono::steady_clock::now() + hold_;
    while (!stopped() && std::chrono::steady_clock::now() < until) usleep(kSliceMs * 1000);
}

}  // namespace test_support
