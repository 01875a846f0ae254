#pragma once

struct AVIOContext;

// Where the FLV goes: a descriptor written in order, never seeked.
struct FlvSink {
    int fd = 1;
    bool closed = false;  // the reader went away
    int error = 0;        // errno of another failed write
};

// A non-seekable AVIOContext writing to sink (which must outlive it), or null without memory.
AVIOContext* open_flv_io(FlvSink& sink);
void close_flv_io(AVIOContext** io);
