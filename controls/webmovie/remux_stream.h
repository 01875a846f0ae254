// FLV for a stream load whose answer is an MP4-family file. Ruffle's NetStream reads only FLV,
// as Flash's read FLV and MP4 alike, so the control hands the movie the same streams as FLV:
// the remuxer (vexo-flv-remux, beside the library) turns the file into FLV while it arrives,
// in a process of its own, so that a hostile file can crash or exhaust nothing but that
// process. It runs with its own bounds on memory, CPU time and input size; the control adds
// the load's deadline and kills it when the page lets go of the stream.
//
// A file the remuxer cannot turn into FLV fails the stream: the page's read ends in an error,
// as a broken connection's does, and stderr gets one line
// "webmovie: cannot stream <location>: <why>". Main thread only.
#pragma once

#include <gio/gio.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace controls::webmovie {

// Whether `head`, the first bytes of an answer (8 are needed), start an MP4-family file
// (.mp4, .m4v, .f4v, .mov): its first box is `ftyp`, or for old QuickTime files `moov`, `mdat`
// or `wide`.
bool startsMp4Family(std::string_view head);

// The file to remux: the bytes of `stream` as they arrive, or the local file open as `fd`
// (taken over; -1 when `stream` is given).
struct RemuxInput {
    GInputStream* stream = nullptr;
    int fd = -1;
    std::uint64_t maxBytes = 0;  // more input fails the stream
    std::string location;        // names the file in console lines
};

// The FLV stream of `input`, or null when the remuxer cannot start (`why` says why, and so does
// stderr; an fd given is closed). A cancelled `stop` (the load's deadline; may be null) kills the
// remuxer and fails the stream. Closing or dropping the stream kills the remuxer too.
GInputStream* remuxToFlv(RemuxInput input, GCancellable* stop, std::string& why);

// The most remuxers running at once, for all controls of the process together; a stream load
// beyond them fails.
constexpr int kMaxRemuxers = 4;

}  // namespace controls::webmovie
