// The play movie's shell: owns the video control, which lives in the main window (play mode)
// or in the preview window (preview mode), and carries out the play movie's commands on the
// window that hosts it.
#pragma once

#include <string>

#include "flash/command_table.h"
#include "flash/flash_shell.h"

class BaseDlg;
class CMyKolvarDlg;
class PreviewDlg;

class FlvPlayer : public FlashCommandShell {
  public:
    static constexpr platform::UINT kControlId = 9001;

    FlvPlayer(CMyKolvarDlg* mainWindow, PreviewDlg* previewWindow);

    void handleCommand(const std::string& command, const std::string& args) override;
    // Plays the movie into control 9001 of the host window; no loading window.
    virtual void loadMovie(const std::string& url);

  private:
    friend struct FlvPlayerCommands;

    BaseDlg* host() const;
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

    CMyKolvarDlg* mainWindow_;
    PreviewDlg* previewWindow_;
};
