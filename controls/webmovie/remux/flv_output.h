#pragma once

struct AVIOContext;

namespace controls::webmovie::remux {

// Where the FLV goes: a descriptor written in order, never seeked.
struct FlvSink {
    int fd = 1;
    bool closed = false;  // the reader went away
    int error = 0;        // errno of another failed write
};

// A non-seekable AVIOContext writing to sink (which must outlive it), or null without memory.
AVIOContext* openFlvIo(FlvSink& sink);
void closeFlvIo(AVIOContext** io);

}  // namespace controls::webmovie::remux
