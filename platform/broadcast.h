// BroadcastSystemMessage to the top-level windows of every program of this user, without ever
// waiting on a receiver (BSF_NOHANG): a message is dropped for a program that is gone or whose
// queue is full.
//
// Each receiving process has a datagram socket in the runtime directory's `broadcast` folder.
// A receiver takes only datagrams of exactly the size a broadcast has, and only messages it
// registered itself (see registered_message.h); it posts each to its top-level windows, but
// drops it for a window where `kMaxWaitingBroadcasts` of that message already wait. A flood
// therefore costs a receiver a bounded queue, whatever its size.
#pragma once

#include <cstddef>

#include "platform/os/win32.h"

namespace platform {

inline constexpr std::size_t kMaxWaitingBroadcasts = 64;

// Starts receiving broadcasts for this process's top-level windows: each arrives as a posted
// message. Call once at start-up, from any thread.
bool receiveBroadcasts();

// Sends the message to every program that receives broadcasts, this one included. Returns the
// number of programs it reached; 0 for a message outside the registered range (0xC000 to
// 0xFFFF), which is not sent.
int broadcastSystemMessage(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace platform
