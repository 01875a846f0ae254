#pragma once

#include <string>

struct AVFormatContext;

namespace controls::webmovie::remux {

// The input streams that go into the FLV, -1 for none.
struct StreamChoice {
    int video = -1;
    int audio = -1;
};

// Picks the best video and audio stream and tells the demuxer to skip all others; an empty
// string, or why the file cannot be streamed as FLV.
std::string chooseStreams(AVFormatContext* input, StreamChoice& choice);

}  // namespace controls::webmovie::remux
