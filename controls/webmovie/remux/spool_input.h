#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace controls::webmovie::remux {

// The input file as it arrives on a descriptor. A regular file is read in place. Anything else
// is read into a window in memory that holds its latest bytes; what leaves the window goes into
// an unlinked temporary file, so the demuxer may seek back over what it has read and forward to
// what has yet to come, unless it lies below keepFrom, which the demuxer will not read again.
struct SpoolInput {
    int source = -1;        // where the bytes come from
    int file = -1;          // where they are read back: source itself or the spool
    bool spooled = false;   // file is a spool this input owns
    int64_t arrived = 0;    // bytes readable
    bool ended = false;     // no more bytes will arrive
    int64_t maxBytes = 0;   // more than this is refused
    bool tooLarge = false;  // more than maxBytes arrived or the file is larger
    int readError = 0;      // errno of a failed read from source or of the spool

    std::unique_ptr<uint8_t[]> window;  // byte p at p % windowSize; null for a regular file
    int64_t windowSize = 0;
    int64_t windowStart = 0;  // the window holds [windowStart, arrived)
    int64_t keepFrom = 0;     // bytes below it leaving the window are dropped, not spooled
    std::vector<std::pair<int64_t, int64_t>> dropped;  // [begin, end), ascending
    int64_t spooledBytes = 0;                          // written to the spool so far

    // Called before a read that would wait for the source, so that what is ready leaves first.
    std::function<void()> beforeWait;
};

// The window of a pipe's input: room for the demuxer going back from one stream to another
// in a file that interleaves them by the second, up to some 30 Mbit/s.
constexpr int64_t kDefaultWindow = int64_t{4} << 20;

// Prepares reading from fd; an empty string, or the reason it cannot be read.
std::string openSpoolInput(int fd, int64_t maxBytes, SpoolInput& input,
                           int64_t windowSize = kDefaultWindow);
void closeSpoolInput(SpoolInput& input);

// Blocks until at least `end` bytes have arrived or no more will; true when they have.
bool waitForBytes(SpoolInput& input, int64_t end);

// Up to size bytes at pos, as soon as one is there: the count, 0 at the end, or -errno
// (-ESPIPE for bytes that were dropped).
int readSpooled(SpoolInput& input, uint8_t* buf, int size, int64_t pos);

// The whole size once it is known, else -1.
int64_t knownSize(const SpoolInput& input);

// The line that refuses a file larger than input.maxBytes.
std::string tooLargeReason(const SpoolInput& input);

}  // namespace controls::webmovie::remux
