// The UI trace: one line per observable event, appended to a file.
#pragma once

#include <string>
#include <string_view>

#include "platform/os/win32.h"

namespace platform {

class UiTrace {
  public:
    // `path` empty: no trace. "-" is standard error; "%p" in a path becomes the process id.
    explicit UiTrace(std::string path);
    ~UiTrace();
    UiTrace(const UiTrace&) = delete;
    UiTrace& operator=(const UiTrace&) = delete;

    bool enabled() const { return fd_ >= 0; }
    // Writes the milliseconds of the process clock since the process started, a blank, `line`
    // and a line feed with one write, so processes can share a file.
    void write(const std::string& line) const;

  private:
    int fd_ = -1;
    bool ownsFd_ = false;
};

// A text in double quotes with `\`, `"` and control characters escaped.
std::string quoted(std::string_view text);
// "x,y wxh".
std::string rectText(const RECT& rect);
// A handle as "0x10002"; "0" for none.
std::string handleText(HWND hwnd);
// Flags as eight hex digits, "0x00c00000".
std::string flagsText(DWORD flags);

}  // namespace platform
