// A minimal HTTP server for the download benchmark: GET /bytes/N answers N bytes of a fixed
// pattern with a Content-Length, as fast as the loopback takes them. Listens on 127.0.0.1 on a
// free port, prints the port on standard output and serves until killed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::vector<char>& pattern() {
    static const std::vector<char> bytes = [] {
        std::vector<char> made(1 << 20);
        for (std::size_t i = 0; i < made.size(); ++i) made[i] = static_cast<char>(i * 31 % 251);
        return made;
    }();
    return bytes;
}

bool sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// The N of "GET /bytes/N ...", or 0.
unsigned long long requestedSize(const std::string& head) {
    const std::size_t at = head.find("/bytes/");
    return at == std::string::npos ? 0 : std::strtoull(head.c_str() + at + 7, nullptr, 10);
}

void serve(int fd) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    unsigned long long left = requestedSize(head);
    const std::string reply =
        "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
        "Connection: close\r\nContent-Length: " +
        std::to_string(left) + "\r\n\r\n";
    bool ok = sendAll(fd, reply.data(), reply.size());
    while (ok && left > 0) {
        const std::size_t chunk = left < pattern().size() ? left : pattern().size();
        ok = sendAll(fd, pattern().data(), chunk);
        left -= chunk;
    }
    close(fd);
}

}  // namespace

int main() {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("bench_server");
        return 1;
    }
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    for (;;) {
        const int fd = accept(listener, nullptr, nullptr);
        if (fd >= 0) std::thread(serve, fd).detach();
    }
}
