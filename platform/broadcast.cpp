#include "platform/broadcast.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/messages.h"
#include "platform/runtime_dir.h"
#include "platform/window_table.h"

namespace platform {

namespace {

// One datagram socket per receiving process, named after its pid.
struct Datagram {
    std::uint32_t message;
    std::uint64_t wParam;
    std::int64_t lParam;
};

std::string socketDirectory() {
    const std::string dir = runtimeDirectory();
    if (dir.empty()) return {};
    std::error_code error;
    std::filesystem::create_directories(dir + "/broadcast", error);
    return dir + "/broadcast";
}

bool addressOf(const std::string& path, sockaddr_un& address) {
    if (path.size() >= sizeof address.sun_path) return false;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void deliverForever(int fd) {
    for (;;) {
        Datagram datagram{};
        const ssize_t got = ::recv(fd, &datagram, sizeof datagram, 0);
        if (got != static_cast<ssize_t>(sizeof datagram)) {
            if (got < 0 && errno != EINTR) return;
            continue;
        }
        // Only registered messages travel between programs: anything else (WM_COMMAND, or a
        // message whose lParam is a pointer) would let any local program drive this one.
        if (datagram.message < 0xC000 || datagram.message > 0xFFFF) continue;
        for (HWND hwnd : window_table::topLevelWindows())
            postMessage(hwnd, datagram.message, static_cast<WPARAM>(datagram.wParam),
                        static_cast<LPARAM>(datagram.lParam));
    }
}

// Sends without blocking; a socket nobody listens on any more is removed.
bool sendTo(const std::string& path, const Datagram& datagram) {
    sockaddr_un address{};
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || !addressOf(path, address)) {
        if (fd >= 0) ::close(fd);
        return false;
    }
    const ssize_t sent = ::sendto(fd, &datagram, sizeof datagram, MSG_DONTWAIT,
                                  reinterpret_cast<sockaddr*>(&address), sizeof address);
    const int error = errno;
    ::close(fd);
    if (sent < 0 && (error == ECONNREFUSED || error == ENOENT)) ::unlink(path.c_str());
    return sent == static_cast<ssize_t>(sizeof datagram);
}

}  // namespace

bool receiveBroadcasts() {
    const std::string dir = socketDirectory();
    sockaddr_un address{};
    const std::string path = dir + "/" + std::to_string(getpid()) + ".sock";
    if (dir.empty() || !addressOf(path, address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    ::unlink(path.c_str());  // left by an earlier process with the same pid
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    std::thread(deliverForever, fd).detach();
    return true;
}

int broadcastSystemMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const std::string dir = socketDirectory();
    if (dir.empty()) return 0;
    const Datagram datagram{message, wParam, static_cast<std::int64_t>(lParam)};
    int reached = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        if (entry.path().extension() == ".sock" && sendTo(entry.path().string(), datagram))
            ++reached;
    return reached;
}

}  // namespace platform
