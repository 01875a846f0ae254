// Starting other programs. A program is named by its file name in the current directory (the
// installation directory), the way the programs start each other; its parameters are one text
// split by the Windows command-line rules.
#pragma once

#include <sys/types.h>
#include <optional>
#include <string>

#include "platform/os/win32.h"

namespace platform {

// ShellExecute with the default verb: starts `file` with `parameters` and does not wait.
// Returns whether the program started. The child is reaped in the background.
bool shellExecute(const std::string& file, const std::string& parameters);

// CreateProcess + WaitForSingleObject + GetExitCodeProcess: a started program to wait for.
class Process {
  public:
    // Starts `file` with `parameters`; nullopt when it cannot be started.
    static std::optional<Process> start(const std::string& file, const std::string& parameters);
    // Waits for the end and returns the exit code (128 + signal number when killed).
    DWORD wait();

  private:
    explicit Process(pid_t pid) : pid_(pid) {}
    pid_t pid_;
};

// ExitProcess.
[[noreturn]] void exitProcess(int code);

}  // namespace platform
