// A minimal HTTP server for the benchmarks: GET /bytes/N answers N bytes of a fixed pattern
// with a Content-Length, as fast as the loopback takes them; with a directory argument, GET
// /files/PATH answers the file PATH below it (404 when missing, 403 for a ".." segment).
// Listens on 127.0.0.1 on a free port, prints the port on standard output and serves until
// killed. Every answer closes its connection.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string g_root;  // the directory behind /files/, empty for none

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

bool sendHead(int fd, const char* status, unsigned long long length) {
    const std::string head = std::string("HTTP/1.1 ") + status +
                             "\r\nContent-Type: application/octet-stream\r\n"
                             "Connection: close\r\nContent-Length: " +
                             std::to_string(length) + "\r\n\r\n";
    return sendAll(fd, head.data(), head.size());
}

// The target of the request line "GET <target> HTTP/1.1", or empty.
std::string requestTarget(const std::string& head) {
    const std::size_t start = head.find(' ');
    const std::size_t end = start == std::string::npos ? start : head.find(' ', start + 1);
    return end == std::string::npos ? std::string() : head.substr(start + 1, end - start - 1);
}

void sendPattern(int fd, unsigned long long left) {
    bool ok = sendHead(fd, "200 OK", left);
    while (ok && left > 0) {
        const std::size_t chunk = left < pattern().size() ? left : pattern().size();
        ok = sendAll(fd, pattern().data(), chunk);
        left -= chunk;
    }
}

bool hasParentSegment(const std::string& path) {
    return path == ".." || path.starts_with("../") || path.ends_with("/..") ||
           path.find("/../") != std::string::npos;
}

void sendFile(int fd, const std::string& path) {
    if (g_root.empty() || hasParentSegment(path)) {
        sendHead(fd, "403 Forbidden", 0);
        return;
    }
    const int file = open((g_root + "/" + path).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (file < 0 || fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (file >= 0) close(file);
        sendHead(fd, "404 Not Found", 0);
        return;
    }
    off_t offset = 0;
    if (sendHead(fd, "200 OK", static_cast<unsigned long long>(info.st_size))) {
        while (offset < info.st_size &&
               sendfile(fd, file, &offset, static_cast<std::size_t>(info.st_size - offset)) > 0) {
        }
    }
    close(file);
}

void serve(int fd) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    const std::string target = requestTarget(head);
    if (target.starts_with("/files/")) {
        sendFile(fd, target.substr(7));
    } else if (target.starts_with("/bytes/")) {
        sendPattern(fd, std::strtoull(target.c_str() + 7, nullptr, 10));
    } else {
        sendHead(fd, "404 Not Found", 0);
    }
    close(fd);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [DIR]\n", argv[0]);
        return 2;
    }
    if (argc == 2) g_root = argv[1];
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
