// The play movie's shell: owns the video control, which lives in the main window (play mode)
// or in the preview window (preview mode). Its movie's commands act on the window that hosts
// the video, or go to the main window through ShellHost.
#pragma once

#include <string>

#include "flash/command_table.h"
#include "flash/flash_shell.h"
#include "player/shell_host.h"
#include "shell/base_dlg.h"

class FlvPlayer : public FlashCommandShell {
  public:
    static constexpr platform::UINT kControlId = 9001;

    explicit FlvPlayer(ShellHost& host) : host_(host) {}

    void handleCommand(const std::string& command, const std::string& args) override;
    // Plays the movie into control 9001 of the host window; no loading window.
    virtual void loadMovie(const std::string& url);
    // Makes `window` the parent of the next control and the window that "Close", "Min",
    // "Full", ... act on. The current control is moved by the caller.
    void setHostWindow(BaseDlg& window);

  private:
    friend struct FlvPlayerCommands;

    // Through setHostWindow only, so the parent is always the window the commands act on.
    using FlashShell::setParentWindow;

    void close(const std::string&);
    void minimize(const std::string&);
    void minimizeToTray(const std::string&);
    void full(const std::string&);
    void resume(const std::string&);
    void nothing(const std::string&) {}
    void front(const std::string&);
    void behind(const std::string&);
    void window(const std::string&);
    void setArg(const std::string& query);
    void registerHotKey(const std::string& keys);
    void unregisterHotKey(const std::string&);
    void relayMessage(const std::string& message);

    ShellHost& host_;
    BaseDlg* window_ = nullptr;
};
