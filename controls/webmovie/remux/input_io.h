#pragma once

#include <cstdint>

#include "controls/webmovie/remux/spool_input.h"

struct AVIOContext;

namespace controls::webmovie::remux {

// The demuxer's view of a SpoolInput: seekable, its reads wait for the bytes they want.
struct InputReader {
    SpoolInput* input = nullptr;
    int64_t position = 0;
    bool readPastEnd = false;  // a read started beyond the last byte: the file claims more
    bool sizeShown = false;    // whether AVSEEK_SIZE answers once the size is known
};

// An AVIOContext over reader (which must outlive it), or null without memory.
AVIOContext* openInputIo(InputReader& reader);
void closeInputIo(AVIOContext** io);

}  // namespace controls::webmovie::remux
