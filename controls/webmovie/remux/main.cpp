// vexo-flv-remux [--max-bytes N]: reads an MP4, F4V or MOV file from standard input and writes
// an FLV of its video and audio to standard output as the file arrives. Exit status 0 when all
// of it went out; otherwise 1 and one line on standard error saying why (none when the reader
// of the output went away).
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

extern "C" {
#include <libavutil/log.h>
}

#include "controls/webmovie/remux/limits.h"
#include "controls/webmovie/remux/remux.h"
#include "controls/webmovie/remux/spool_input.h"

namespace controls::webmovie::remux {
namespace {

constexpr int64_t kDefaultMaxBytes = 64 << 20;

bool parseMaxBytes(int argc, char** argv, int64_t& maxBytes) {
    maxBytes = kDefaultMaxBytes;
    if (argc == 1) return true;
    if (argc != 3 || std::strcmp(argv[1], "--max-bytes") != 0) return false;
    const char* end = argv[2] + std::strlen(argv[2]);
    auto [rest, err] = std::from_chars(argv[2], end, maxBytes);
    return err == std::errc() && rest == end && maxBytes >= 0;
}

std::string convert(int64_t maxBytes, FlvSink& sink) {
    SpoolInput input;
    std::string problem = openSpoolInput(STDIN_FILENO, maxBytes, input);
    if (problem.empty() && input.tooLarge) problem = tooLargeReason(input);
    if (problem.empty()) problem = remuxToFlv(input, sink);
    closeSpoolInput(input);
    return problem;
}

int fail(const std::string& reason) {
    std::string line = reason + "\n";
    [[maybe_unused]] ssize_t n = write(STDERR_FILENO, line.data(), line.size());
    return 1;
}

}  // namespace
}  // namespace controls::webmovie::remux

int main(int argc, char** argv) {
    namespace remux = controls::webmovie::remux;
    int64_t maxBytes = 0;
    if (!remux::parseMaxBytes(argc, argv, maxBytes))
        return remux::fail("usage: vexo-flv-remux [--max-bytes N]");
    std::string problem = remux::applyLimits(maxBytes);
    if (!problem.empty()) return remux::fail(problem);
    av_log_set_level(AV_LOG_QUIET);
    remux::FlvSink sink;
    try {
        problem = remux::convert(maxBytes, sink);
    } catch (const std::bad_alloc&) {
        problem = "the file needs more memory than allowed";
    }
    if (problem.empty()) return 0;
    return sink.closed ? 1 : remux::fail(problem);
}
