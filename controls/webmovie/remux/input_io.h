#pragma once

#include <cstdint>

#include "controls/webmovie/remux/spool_input.h"

struct AVIOContext;

// The demuxer's view of a SpoolInput: seekable, its reads wait for the bytes they want.
struct InputReader {
    SpoolInput* input = nullptr;
    int64_t position = 0;
    bool read_past_end = false;  // a read started beyond the last byte: the file claims more
    bool size_shown = false;     // whether AVSEEK_SIZE answers once the size is known
};

// An AVIOContext over reader (which must outlive it), or null without memory.
AVIOContext* open_input_io(InputReader& reader);
void close_input_io(AVIOContext** io);
