// An input stream that passes on another one's bytes until a limit: a read past `maxBytes`, or
// one made after `stop` was cancelled, fails instead. The web view reads what the control relays
// through it, so an endless or trickling server costs at most the limit and the deadline.
//
// Reads are asynchronous, on the thread that made the stream (as WebKit and libsoup read); the
// synchronous read is there for completeness and must not be used on a libsoup body from
// another thread.
#pragma once

#include <gio/gio.h>

#include <cstdint>

namespace controls::webmovie {

// A new stream over `base` (a reference is taken); reads of `base` are cancelled with `stop` as
// well as with the reader's own cancellable. Closing it closes `base`.
//
// With `endOnFailure`, a read that fails once bytes have passed ends the stream instead: a video
// cut short. Ruffle's NetStream stops answering for good when its stream fails midway, and a
// movie that hangs is worse than a video that stops early.
GInputStream* boundedStreamNew(GInputStream* base, std::uint64_t maxBytes, GCancellable* stop,
                               bool endOnFailure = false);

}  // namespace controls::webmovie
