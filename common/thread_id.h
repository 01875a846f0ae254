// Thread ids: a 32-bit number for each thread of the process, standing where Win32 thread ids
// stand (the thread registry's keys, Thread::getId). Ids are never 0 and never reused.
#pragma once

#include <cstdint>

using ThreadId = std::uint32_t;

// The calling thread's id; a thread that has none yet is given the next free one.
ThreadId currentThreadId();

// Hands out an id for a thread that is about to be created.
ThreadId newThreadId();

// Gives the calling thread the id its creator reserved for it with newThreadId. Called first
// thing on a new thread, before anything asks for currentThreadId.
void setCurrentThreadId(ThreadId id);
