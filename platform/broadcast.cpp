#include "platform/broadcast.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/messages.h"
#include "platform/os/runtime_dir.h"
#include "platform/registered_message.h"
#include "platform/window_table.h"

namespace platform {

namespace {

// One datagram socket per receiving process, named after its pid. The layout has no padding,
// so no stray bytes travel.
struct Datagram {
    std::uint32_t message;
    std::uint32_t reserved;
    std::uint64_t wParam;
    std::int64_t lParam;
};
static_assert(sizeof(Datagram) == 24);

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

// Only messages this process registered travel between programs: anything else (WM_COMMAND,
// a message whose lParam is a pointer) would let any local program drive this one.
void deliver(const Datagram& datagram) {
    if (!isRegisteredMessage(datagram.message)) return;
    for (HWND hwnd : window_table::topLevelWindows()) {
        const MSG msg{hwnd, datagram.message, static_cast<WPARAM>(datagram.wParam),
                      static_cast<LPARAM>(datagram.lParam)};
        if (auto queue = window_table::ownerQueue(hwnd))
            queue->postUnlessWaiting(msg, kMaxWaitingBroadcasts);
    }
}

void deliverForever(int fd) {
    for (;;) {
        Datagram datagram{};
        // MSG_TRUNC gives the datagram's whole length, so a longer one is refused, not cut.
        const ssize_t got = ::recv(fd, &datagram, sizeof datagram, MSG_TRUNC);
        if (got < 0 && errno != EINTR) return;
        if (got == static_cast<ssize_t>(sizeof datagram)) deliver(datagram);
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
    if (message < 0xC000 || message > 0xFFFF) return 0;
    const std::string dir = socketDirectory();
    if (dir.empty()) return 0;
    const Datagram datagram{message, 0, wParam, static_cast<std::int64_t>(lParam)};
    int reached = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        if (entry.path().extension() == ".sock" && sendTo(entry.path().string(), datagram))
            ++reached;
    return reached;
}

}  // namespace platform
