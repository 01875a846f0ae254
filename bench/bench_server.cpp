// A minimal HTTP server for the benchmarks: GET /bytes/N answers N bytes of a fixed pattern
// with a Content-Length, as fast as the loopback takes them; with a directory argument, GET
// /files/PATH answers the file PATH below it (404 when missing, 403 for a ".." segment).
// Listens on 127.0.0.1 on a free port, prints the port on standard output and serves until
// killed. A connection stays open for further requests, as a web server keeps an HTTP/1.1
// connection alive, until the client closes it or asks for its close.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
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

// `keep`: the connection stays open after this answer.
bool sendHead(int fd, const char* status, unsigned long long length, bool keep) {
    const std::string head = std::string("HTTP/1.1 ") + status +
                             "\r\nContent-Type: application/octet-stream\r\n" +
                             (keep ? "" : "Connection: close\r\n") +
                             "Content-Length: " + std::to_string(length) + "\r\n\r\n";
    return sendAll(fd, head.data(), head.size());
}

// An HTTP/1.0 request, or one with "Connection: close", wants the connection closed.
bool wantsClose(std::string head) {
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return head.find("\r\nconnection: close") != std::string::npos ||
           head.substr(0, head.find("\r\n")).ends_with("http/1.0");
}

// The target of the request line "GET <target> HTTP/1.1", or empty.
std::string requestTarget(const std::string& head) {
    const std::size_t start = head.find(' ');
    const std::size_t end = start == std::string::npos ? start : head.find(' ', start + 1);
    return end == std::string::npos ? std::string() : head.substr(start + 1, end - start - 1);
}

bool sendPattern(int fd, unsigned long long left, bool keep) {
    bool ok = sendHead(fd, "200 OK", left, keep);
    while (ok && left > 0) {
        const std::size_t chunk = left < pattern().size() ? left : pattern().size();
        ok = sendAll(fd, pattern().data(), chunk);
        left -= chunk;
    }
    return ok;
}

bool hasParentSegment(const std::string& path) {
    return path == ".." || path.starts_with("../") || path.ends_with("/..") ||
           path.find("/../") != std::string::npos;
}

// False when the answer could not be sent whole.
bool sendFile(int fd, const std::string& path, bool keep) {
    if (g_root.empty() || hasParentSegment(path)) return sendHead(fd, "403 Forbidden", 0, keep);
    const int file = open((g_root + "/" + path).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (file < 0 || fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (file >= 0) close(file);
        return sendHead(fd, "404 Not Found", 0, keep);
    }
    off_t offset = 0;
    if (sendHead(fd, "200 OK", static_cast<unsigned long long>(info.st_size), keep)) {
        while (offset < info.st_size &&
               sendfile(fd, file, &offset, static_cast<std::size_t>(info.st_size - offset)) > 0) {
        }
    }
    close(file);
    return offset == info.st_size;
}

bool answer(int fd, const std::string& head, bool keep) {
    const std::string target = requestTarget(head);
    if (target.starts_with("/files/")) return sendFile(fd, target.substr(7), keep);
    if (target.starts_with("/bytes/")) {
        return sendPattern(fd, std::strtoull(target.c_str() + 7, nullptr, 10), keep);
    }
    return sendHead(fd, "404 Not Found", 0, keep);
}

// The requests of one connection, answered in turn.
void serve(int fd) {
    std::string received;
    char buffer[4096];
    for (bool open = true; open;) {
        std::size_t end;
        while ((end = received.find("\r\n\r\n")) == std::string::npos) {
            const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                close(fd);
                return;
            }
            received.append(buffer, static_cast<std::size_t>(got));
        }
        const std::string head = received.substr(0, end + 4);
        received.erase(0, end + 4);
        const bool keep = !wantsClose(head);
        open = answer(fd, head, keep) && keep;
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
