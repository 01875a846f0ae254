// The small window in which a video keeps playing, docked left of the main window, while the
// main window shows the main movie again.
#pragma once

#include <functional>

#include "platform/menu.h"
#include "shell/base_dlg.h"

class FlvPlayer;

class PreviewDlg : public BaseDlg {
  public:
    static constexpr int kWidth = 359;
    static constexpr int kHeight = 204;

    // Told when the preview goes on top of other windows or back among them; the main
    // window passes it on to both movies.
    using TopMostListener = std::function<void(bool topmost)>;

    PreviewDlg(FlvPlayer* player, TopMostListener topMostChanged);

    void show();
    void hide();
    bool isShown() const { return shown_; }
    // Hides the window and stops the video.
    void close() override;
    void initContextMenu() override;
    void onTopMostChanged(bool topmost) override;
    bool PreTranslateMessage(platform::MSG* msg) override;

    void onFlashCommand(const std::string& command, const std::string& args);

  protected:
    bool OnInitDialog() override;
    // WM_CLOSE and Cancel only hide the window; the video goes on.
    void OnCancel() override { hide(); }
    const platform::MessageMap* GetMessageMap() const override;
    const platform::EventSinkMap* GetEventSinkMap() const override;

  private:
    friend struct PreviewHandlers;
    platform::LRESULT onSize(platform::WPARAM, platform::LPARAM);
    platform::LRESULT onGetMinMaxInfo(platform::WPARAM, platform::LPARAM);
    platform::LRESULT onContextMenu(platform::WPARAM, platform::LPARAM);
    platform::LRESULT onCommand(platform::WPARAM, platform::LPARAM);

    FlvPlayer* player_;
    TopMostListener topMostChanged_;
    bool shown_ = false;
    platform::Menu menu_;
};
