#include "controls/webmovie/remux/input_io.h"

#include <cstdio>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace controls::webmovie::remux {
namespace {

constexpr int kInputBufferSize = 64 * 1024;

int readPacket(void* opaque, uint8_t* buf, int size) {
    auto& reader = *static_cast<InputReader*>(opaque);
    int n = readSpooled(*reader.input, buf, size, reader.position);
    if (n < 0) return AVERROR(-n);
    if (n == 0) {
        // Reading at the very end is how the demuxer finds it; a read beyond it follows a box
        // or sample the file promised and does not hold.
        if (reader.position > reader.input->arrived) reader.readPastEnd = true;
        return AVERROR_EOF;
    }
    reader.position += n;
    return n;
}

int64_t seek(void* opaque, int64_t offset, int whence) {
    auto& reader = *static_cast<InputReader*>(opaque);
    // A size not known yet must not be waited for: the demuxer asks it while parsing the
    // header of a file still arriving.
    int64_t size = reader.sizeShown ? knownSize(*reader.input) : -1;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return size >= 0 ? size : AVERROR(ENOSYS);
        case SEEK_SET:
            break;
        case SEEK_CUR:
            offset += reader.position;
            break;
        case SEEK_END:
            if (size < 0) return AVERROR(ENOSYS);
            offset += size;
            break;
        default:
            return AVERROR(EINVAL);
    }
    if (offset < 0) return AVERROR(EINVAL);
    reader.position = offset;
    return offset;
}

}  // namespace

AVIOContext* openInputIo(InputReader& reader) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kInputBufferSize));
    if (!buffer) return nullptr;
    AVIOContext* io =
        avio_alloc_context(buffer, kInputBufferSize, 0, &reader, readPacket, nullptr, seek);
    if (!io) av_free(buffer);
    return io;
}

void closeInputIo(AVIOContext** io) {
    if (*io) av_freep(&(*io)->buffer);
    avio_context_free(io);
}

}  // namespace controls::webmovie::remux
