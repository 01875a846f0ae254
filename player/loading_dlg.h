// The small window that plays the local loading movie while the main movie loads, and the
// process-wide table that shows, times and closes such windows by thread-timer identifier.
#pragma once

#include <cstdint>
#include <map>

#include "flash/flash_shell.h"
#include "shell/base_dlg.h"

class LoadingDlg : public BaseDlg {
  public:
    explicit LoadingDlg(platform::Window* parent = nullptr);
    FlashCommandShell& shell() { return shell_; }

  protected:
    bool OnInitDialog() override;

  private:
    // Its commands are not answered: the shell's handler does nothing.
    FlashCommandShell shell_;
};

struct LoadingEntry {
    LoadingDlg* window = nullptr;  // owned
    // Milliseconds on the nowMillis clock; 0 for no deadline.
    std::uint32_t deadline = 0;
};

// The loading windows' clock: milliseconds, truncated to 32 bits and compared with the wrap in
// mind. The process's monotonic clock, not the time of day, so that setting the system's clock
// neither closes a window at once nor keeps it open for hours.
std::uint32_t nowMillis();

// Opens a loading window centred over `parent` (the desktop when none) and returns the thread
// timer that watches its deadline; a timeout of 0 means none.
platform::UINT_PTR showLoadingWindow(platform::Window* parent, std::uint32_t timeoutMs);
// Kills the timer and destroys its window, if it has one.
void closeLoadingWindow(platform::UINT_PTR timerId);
// The 100 ms tick of each open loading window.
void loadingTimerProc(platform::HWND, platform::UINT, platform::UINT_PTR timerId, platform::DWORD);

// The open loading windows by timer identifier (for tests and diagnostics).
const std::map<std::uint32_t, LoadingEntry*>& loadingWindows();

// Whether `now` has reached `deadline` on a 32-bit millisecond clock that wraps: a deadline
// within the next 2^31 ms counts as ahead, whatever the wrap.
bool deadlineReached(std::uint32_t now, std::uint32_t deadline);
