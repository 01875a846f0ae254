// The start-up splash: a borderless 960 x 594 window, centred on the screen, playing the
// installation's "welcome.swf" while the launcher's worker checks for updates.
//
// The window and its movie belong to the main thread, which runs the splash modally. The
// worker may call `failMess` and `close` from its own thread: the notice is carried into the
// movie on the window's thread (and kept until the window exists when it comes early), and
// `close` only ends the modal run.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "flash/shockwave_flash.h"
#include "platform/message_map.h"
#include "shell/base_dlg.h"

class CLauncherApp;

class SplashDlg : public BaseDlg {
  public:
    static constexpr platform::UINT kControlId = 1000;
    static constexpr int kWidth = 960;
    static constexpr int kHeight = 594;

    explicit SplashDlg(CLauncherApp* app, platform::Window* parent = nullptr);

    // Any thread: logs "failMess:<text>" and shows the movie's failure notice.
    void failMess(const std::string& text);
    // Window's thread: one request into the movie; "" when the call fails (logged).
    std::string callFunction(const std::string& request);
    // The movie's commands: "close" ends the launcher, "reStart" starts a new one first.
    void onFlashCommand(const std::string& command, const std::string& args);

    CShockwaveFlash& flash() { return flash_; }

  protected:
    bool OnInitDialog() override;
    // The dialog manager's keys: Esc cancels the splash as its cancel button would.
    bool PreTranslateMessage(platform::MSG* msg) override;
    const platform::MessageMap* GetMessageMap() const override;
    const platform::EventSinkMap* GetEventSinkMap() const override;

  private:
    friend struct SplashHandlers;
    platform::LRESULT onNotice(platform::WPARAM, platform::LPARAM);
    void deliverNotices();
    [[noreturn]] void endLauncher();

    CLauncherApp* app_;
    CShockwaveFlash flash_;
    std::mutex noticeMutex_;
    bool movieReady_ = false;
    std::vector<std::string> notices_;
};
