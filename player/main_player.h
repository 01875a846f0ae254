// The main movie's shell: starts the main movie with its loading window and carries out the
// main movie's commands through the window that hosts it (ShellHost).
#pragma once

#include <cstdint>
#include <string>

#include "flash/command_table.h"
#include "flash/flash_shell.h"
#include "player/shell_host.h"

class MainPlayer : public FlashCommandShell {
  public:
    static constexpr platform::UINT kControlId = 9000;
    static constexpr std::uint32_t kLoadingTimeoutMs = 5000;

    explicit MainPlayer(ShellHost& host) : host_(host) {}

    void handleCommand(const std::string& command, const std::string& args) override;
    // Plays the movie into control 9000 of the parent window and shows the loading window.
    virtual void loadMovie(const std::string& url);
    std::uint32_t loadingTimerId() const { return loadingTimerId_; }

  private:
    friend struct MainPlayerCommands;

    void dispatch(const std::string& command, const std::string& args);
    void close(const std::string&);
    void closePreview(const std::string&);
    void back(const std::string&);
    void minimize(const std::string&);
    void minimizeToTray(const std::string&);
    void full(const std::string&);
    void resume(const std::string&);
    void nothing(const std::string&) {}
    void front(const std::string&);
    void behind(const std::string&);
    void loadComplete(const std::string&);
    void setArg(const std::string& query);
    void getStatus(const std::string&);
    void registerHotKey(const std::string& keys);
    void unregisterHotKey(const std::string&);
    void relayMessage(const std::string& message);

    ShellHost& host_;
    // Never reset: a late "loadcomplete" closes an identifier that is already gone, harmlessly.
    std::uint32_t loadingTimerId_ = 0;
};
