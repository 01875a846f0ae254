#include "controls/webmovie/remux/flv_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace controls::webmovie::remux {
namespace {

// Large video tags in one write each; the buffer also goes out whenever the input has to wait.
constexpr int kOutputBufferSize = 1024 * 1024;

int writePacket(void* opaque, uint8_t* buf, int size) {
    auto& sink = *static_cast<FlvSink*>(opaque);
    for (int done = 0; done < size;) {
        ssize_t n = write(sink.fd, buf + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int err = errno;
            if (err == EPIPE)
                sink.closed = true;
            else
                sink.error = err;
            return AVERROR(err);
        }
        done += static_cast<int>(n);
    }
    return size;
}

}  // namespace

AVIOContext* openFlvIo(FlvSink& sink) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kOutputBufferSize));
    if (!buffer) return nullptr;
    // No seek callback: the muxer then writes the stream straight through, as a pipe needs.
    AVIOContext* io =
        avio_alloc_context(buffer, kOutputBufferSize, 1, &sink, nullptr, writePacket, nullptr);
    if (!io) av_free(buffer);
    return io;
}

void closeFlvIo(AVIOContext** io) {
    if (*io) av_freep(&(*io)->buffer);
    avio_context_free(io);
}

}  // namespace controls::webmovie::remux
