// A window that hosts scripted movies through the real control path: a registry file names the
// built scriptmovie library under the Flash CLSID, and the host loads it at run time.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "flash/flash_shell.h"
#include "platform/window.h"
#include "tests/support/captured_log.h"
#include "tests/support/headless_fixture.h"

namespace flash_test {

using Command = std::pair<std::string, std::string>;

// Records the commands it receives; an optional hook runs inside handleCommand.
class RecordingShell : public FlashCommandShell {
  public:
    std::vector<Command> commands;
    std::function<void(const Command&)> onCommand;

    // The callback gets its own copy: it may raise commands that grow `commands` under it.
    void handleCommand(const std::string& command, const std::string& args) override {
        commands.emplace_back(command, args);
        if (onCommand) onCommand(Command{command, args});
    }
};

// Routes FSCommand of control 9000 to `main` and of 9001 to `play`.
class HostWindow : public platform::Window {
  public:
    RecordingShell main;
    RecordingShell play;
    std::vector<platform::UINT> received;

    void onMainCommand(const std::string& command, const std::string& args) {
        main.handleCommand(command, args);
    }
    void onPlayCommand(const std::string& command, const std::string& args) {
        play.handleCommand(command, args);
    }
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;

  protected:
    const platform::EventSinkMap* GetEventSinkMap() const override;
};

class MovieHostTest : public test_support::HeadlessTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a scripted movie and returns its path.
    std::string movie(const std::string& name, const std::string& script);
    // The requests CallFunction received, in order, across all controls.
    std::vector<std::string> tracedCalls() const;
    // The control's trace, its controls numbered 1, 2, ... in order of appearance.
    std::vector<std::string> traceLines() const;
    // Console lines logged since the test began.
    std::vector<std::string> newLogLines() const;
    void registerControl(const std::string& library);

    test_support::TempDir dir;
    HostWindow host;
    test_support::CapturedLog log;
};

}  // namespace flash_test
