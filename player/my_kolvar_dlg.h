// The player's main window: a borderless 960 x 594 window with rounded corners that shows the
// main movie, or the play movie in its place, and owns the preview window, the tray icon, the
// menus and the hot key. It is the ShellHost of both movie shells.
#pragma once

#include <optional>
#include <string>

#include "platform/menu.h"
#include "player/flv_player.h"
#include "player/main_player.h"
#include "player/preview_dlg.h"
#include "player/shell_host.h"
#include "shell/base_dlg.h"

class CMyKolvarDlg : public BaseDlg, private ShellHost {
  public:
    static constexpr int kWidth = 960;
    static constexpr int kHeight = 594;

    CMyKolvarDlg();

    void close() override;
    void minimizeToTray() override;
    void restoreFromTray() override;
    void initContextMenu() override;
    void onTopMostChanged(bool topmost) override;
    bool PreTranslateMessage(platform::MSG* msg) override;
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;

    // An empty query resumes the movie that is there.
    virtual void playInMainWindow(const std::optional<std::string>& query);
    virtual void playInPreview(const std::optional<std::string>& query);
    virtual void backToMain();
    virtual void setArg(const std::string& query);
    void showPreview();
    void loadPlayMovie(const std::optional<std::string>& query);

    bool isPreviewShown() const override { return preview_.isShown(); }
    MainPlayer& mainPlayer() { return mainPlayer_; }
    FlvPlayer& flvPlayer() { return flvPlayer_; }
    PreviewDlg& previewWindow() { return preview_; }
    FlashCommandShell* currentPlayer() const { return currentPlayer_; }

    void onMainCommand(const std::string& command, const std::string& args);
    void onPlayCommand(const std::string& command, const std::string& args);

  protected:
    bool OnInitDialog() override;
    void OnCancel() override { close(); }
    const platform::MessageMap* GetMessageMap() const override;
    const platform::EventSinkMap* GetEventSinkMap() const override;

  private:
    friend struct MainWindowHandlers;

    // ShellHost (my_kolvar_dlg_shell_host.cpp): what the shells' commands ask of this window.
    void closeWindow() override;
    void showWindowAs(ShowRequest request) override;
    void keepOnTop(bool topmost) override;
    void showAndActivateWindow() override;
    void hideToTray() override;
    void backToMainMovie() override;
    void resumeVideoInMainWindow() override;
    void setMovieArg(const std::string& query) override;
    void closePreview() override;
    void setHotKey(const std::string& keys) override;
    void clearHotKey() override;
    void sendToMainMovie(const std::string& message) override;
    void sendToPlayMovie(const std::string& message) override;

    platform::LRESULT onSize(platform::WPARAM, platform::LPARAM);
    platform::LRESULT onGetMinMaxInfo(platform::WPARAM, platform::LPARAM);
    platform::LRESULT onContextMenu(platform::WPARAM, platform::LPARAM);
    platform::LRESULT onCommand(platform::WPARAM, platform::LPARAM);
    platform::LRESULT onTrayNotify(platform::WPARAM, platform::LPARAM);
    platform::LRESULT onActivationRequest();
    bool filterHotKey(platform::MSG* msg);
    void returnToMain();
    void attachPlayerToMain();
    void backToMainKeepingState();
    void leavePlayMode(bool restoreSizes);
    void setControlVisible(FlashShell& shell, bool visible);
    void useMenu(platform::Menu& menu);

    // The shells come first: the preview window is built with a pointer to the play shell.
    MainPlayer mainPlayer_;
    FlvPlayer flvPlayer_;
    FlashCommandShell* currentPlayer_;
    PreviewDlg preview_;
    platform::Menu mainMenu_;
    platform::Menu playMenu_;
    platform::Menu trayMenu_;
    platform::HICON icon_;  // the window's big and small icon
};
