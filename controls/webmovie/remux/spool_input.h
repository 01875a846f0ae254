#pragma once

#include <cstdint>
#include <string>

namespace controls::webmovie::remux {

// The input file as it arrives on a descriptor. A regular file is read in place; anything else
// is spooled into an unlinked temporary file, so the demuxer may seek back over what it has
// read and forward to what has yet to come.
struct SpoolInput {
    int source = -1;        // where the bytes come from
    int file = -1;          // where they are read back: source itself or the spool
    bool spooled = false;   // file is a spool this input owns
    int64_t arrived = 0;    // bytes readable from file
    bool ended = false;     // no more bytes will arrive
    int64_t maxBytes = 0;   // more than this is refused
    bool tooLarge = false;  // more than maxBytes arrived or the file is larger
    int readError = 0;      // errno of a failed read from source
};

// Prepares reading from fd; an empty string, or the reason it cannot be read.
std::string openSpoolInput(int fd, int64_t maxBytes, SpoolInput& input);
void closeSpoolInput(SpoolInput& input);

// Blocks until at least `end` bytes have arrived or no more will; true when they have.
bool waitForBytes(SpoolInput& input, int64_t end);

// Up to size bytes at pos, as soon as one is there: the count, 0 at the end, or -errno.
int readSpooled(SpoolInput& input, uint8_t* buf, int size, int64_t pos);

// The whole size once it is known, else -1.
int64_t knownSize(const SpoolInput& input);

// The line that refuses a file larger than input.maxBytes.
std::string tooLargeReason(const SpoolInput& input);

}  // namespace controls::webmovie::remux
