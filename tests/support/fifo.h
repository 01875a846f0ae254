// Named pipes planted where a program expects a file: opening one for reading waits for a
// writer, and reading one that a reader holds open for writing waits for ever.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace test_support {

// Makes a named pipe at `path`; false when it cannot.
bool makeFifo(const std::string& path);

// Runs `call`, which must not wait on a pipe. One still running after `patience` (a limit only
// a hang reaches) ends the test program with a message, so that the run fails instead of
// hanging.
void runWithoutWaiting(const std::function<void()>& call,
                       std::chrono::seconds patience = std::chrono::seconds(60));

}  // namespace test_support
