#include "controls/webmovie/remux/limits.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern "C" {
#include <libavutil/mem.h>
}

namespace controls::webmovie::remux {
namespace {

// The libav libraries and theirs map about 200 MiB before any input; a remux of an 85 MiB 1080p
// file then peaks at 36 MiB resident. The rest is room for large sample tables.
constexpr rlim_t kAddressSpace = rlim_t{1} << 30;
constexpr rlim_t kCpuSeconds = 120;
constexpr size_t kLargestAllocation = size_t{64} << 20;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kBoundAddressSpace = false;  // the sanitizer reserves terabytes of shadow
#else
constexpr bool kBoundAddressSpace = true;
#endif

// Lowers a limit only: a caller's tighter bound stays.
bool lowerLimit(int resource, rlim_t soft, rlim_t hard) {
    rlimit now{};
    if (getrlimit(resource, &now) != 0) return false;
    rlimit wanted{std::min(soft, now.rlim_max), std::min(hard, now.rlim_max)};
    wanted.rlim_cur = std::min(wanted.rlim_cur, now.rlim_cur);
    return setrlimit(resource, &wanted) == 0;
}

void onCpuLimit(int) {
    static const char line[] = "the file takes too long to convert\n";
    [[maybe_unused]] ssize_t n = write(2, line, sizeof line - 1);
    _exit(1);
}

}  // namespace

std::string applyLimits(int64_t maxBytes) {
    signal(SIGPIPE, SIG_IGN);  // a closed output shows as EPIPE
    signal(SIGXFSZ, SIG_IGN);  // a write over the size bound shows as EFBIG
    signal(SIGXCPU, onCpuLimit);
    // The spool holds at most maxBytes; an FLV written to a regular file may be a little
    // larger than its MP4, its tag headers outweighing the sample tables.
    rlim_t fileSize =
        static_cast<rlim_t>(maxBytes) + static_cast<rlim_t>(maxBytes) / 2 + (rlim_t{1} << 20);
    bool ok = lowerLimit(RLIMIT_CORE, 0, 0) &&
              lowerLimit(RLIMIT_CPU, kCpuSeconds, kCpuSeconds + 10) &&
              lowerLimit(RLIMIT_FSIZE, fileSize, fileSize) &&
              (!kBoundAddressSpace || lowerLimit(RLIMIT_AS, kAddressSpace, kAddressSpace));
    if (!ok) return "cannot bound the resources of the conversion: " + std::string(strerror(errno));
    av_max_alloc(kLargestAllocation);
    return "";
}

}  // namespace controls::webmovie::remux
