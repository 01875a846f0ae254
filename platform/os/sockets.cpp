#include "platform/os/sockets.h"

#include <sys/socket.h>
#include <unistd.h>

namespace platform {

bool AfxSocketInit() {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return false;
    ::close(probe);
    return true;
}

}  // namespace platform
