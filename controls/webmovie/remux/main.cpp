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

namespace {

constexpr int64_t kDefaultMaxBytes = 64 << 20;

bool parse_max_bytes(int argc, char** argv, int64_t& max_bytes) {
    max_bytes = kDefaultMaxBytes;
    if (argc == 1) return true;
    if (argc != 3 || std::strcmp(argv[1], "--max-bytes") != 0) return false;
    const char* end = argv[2] + std::strlen(argv[2]);
    auto [rest, err] = std::from_chars(argv[2], end, max_bytes);
    return err == std::errc() && rest == end && max_bytes >= 0;
}

std::string convert(int64_t max_bytes, FlvSink& sink) {
    SpoolInput input;
    std::string problem = open_spool_input(STDIN_FILENO, max_bytes, input);
    if (problem.empty() && input.too_large) problem = too_large_reason(input);
    if (problem.empty()) problem = remux_to_flv(input, sink);
    close_spool_input(input);
    return problem;
}

int fail(const std::string& reason) {
    std::string line = reason + "\n";
    [[maybe_unused]] ssize_t n = write(STDERR_FILENO, line.data(), line.size());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    int64_t max_bytes = 0;
    if (!parse_max_bytes(argc, argv, max_bytes))
        return fail("usage: vexo-flv-remux [--max-bytes N]");
    std::string problem = apply_limits(max_bytes);
    if (!problem.empty()) return fail(problem);
    av_log_set_level(AV_LOG_QUIET);
    FlvSink sink;
    try {
        problem = convert(max_bytes, sink);
    } catch (const std::bad_alloc&) {
        problem = "the file needs more memory than allowed";
    }
    if (problem.empty()) return 0;
    return sink.closed ? 1 : fail(problem);
}
