// BroadcastSystemMessage to the top-level windows of every program of this user, without ever
// waiting on a receiver (BSF_NOHANG): a message is dropped for a program that is gone or whose
// queue is full.
#pragma once

#include "platform/win32.h"

namespace platform {

// Starts receiving broadcasts for this process's top-level windows: each arrives as a posted
// message. Call once at start-up, from any thread.
bool receiveBroadcasts();

// Sends the message to every program that receives broadcasts, this one included. Returns the
// number of programs it reached. Receivers take only registered messages (0xC000 to 0xFFFF).
int broadcastSystemMessage(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace platform
