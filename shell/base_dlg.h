// The window base of every movie window of both programs: a borderless dialog that sizes,
// centres and shapes itself, resizes from its edges, changes show state and stacking, fades,
// hides in the notification area and owns one global hot key.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dialog.h"
#include "platform/menu.h"

class BaseDlg : public platform::Dialog {
  public:
    // The launcher's windows behave a little differently (see the operations).
    enum class Variant { Player, Launcher };

    static constexpr int kHotKeyId = 40962;
    static constexpr platform::UINT kTrayIconId = 100;
    static constexpr platform::UINT kTrayMessage = 0x078D;
    static constexpr platform::UINT kTrayIconResource = 128;
    static constexpr const char* kTrayTip = "Vexa视讯PC客户端";

    explicit BaseDlg(const platform::DialogTemplate& resource, platform::Window* parent = nullptr,
                     Variant variant = Variant::Player);

    // Ends the dialog: with IDOK in the player, IDCANCEL in the launcher.
    virtual void close();
    // Sizes the window; with `centre`, centres it over its parent (or the desktop).
    virtual void adjustSize(int width, int height, bool centre);
    virtual void moveTo(int x, int y);
    virtual void updateShape();
    virtual void setRoundShape();
    virtual void setRectShape();
    virtual bool isMaximized();
    // The requests of setShowState: the first three set the show command of the same value.
    enum ShowRequest : int {
        kShowNormal = platform::SW_SHOWNORMAL,
        kShowMinimized = platform::SW_SHOWMINIMIZED,
        kShowMaximized = platform::SW_SHOWMAXIMIZED,
        kToggleMaximized = 5,  // maximised from normal, normal from maximised
    };
    // A ShowRequest; any other code only brings the window forward. Minimising is refused
    // while the lights are off.
    virtual void setShowState(int request);
    virtual void minimizeToTray();
    virtual void restoreFromTray();
    virtual void addTrayIcon();
    virtual void removeTrayIcon();
    virtual void showAndActivate();
    virtual bool applySizeCursor();
    virtual void updateSizeZone(const platform::MSG& mouseMessage);
    virtual void setSizeCursor(int zone);
    virtual void setCursorById(int cursorId);
    virtual void startSizing(int zone);
    // Fades the window's opacity in 26 steps of 10 ms (blocking) to 255, or to 0.
    virtual void fadeIn(platform::HWND hwnd);
    virtual void fadeOut(platform::HWND hwnd);
    virtual void toggleLights(platform::HWND hwnd);
    virtual bool isLightsOff() { return lightsOff_; }
    virtual void setTopMost();
    virtual void clearTopMost();
    virtual bool isTopMost() { return topmost_; }
    virtual void showContextMenu();
    virtual void showTrayMenu();
    virtual void setContextMenu(platform::Menu* menu) { contextMenu_ = menu; }
    virtual bool isResizable() { return resizable_; }
    virtual void setResizable(bool resizable) { resizable_ = resizable; }
    // "<modifiers>_<key>" in decimal, e.g. "3_81".
    virtual bool registerHotKey(const std::string& keys);
    virtual bool registerHotKey(platform::UINT modifiers, platform::UINT key);
    virtual bool unregisterHotKey();
    virtual void initContextMenu() {}
    virtual void onTopMostChanged(bool /*topmost*/) {}

    int sizeZone() const { return sizeZone_; }
    bool inTray() const { return inTray_; }
    platform::UINT hotKey() const { return hotKey_; }
    const platform::Region* windowRegion() const { return windowRegion_; }

  protected:
    bool OnInitDialog() override;
    // Enter never ends a movie window.
    void OnOK() override {}
    void setTrayMenu(platform::Menu* menu) { trayMenu_ = menu; }

  private:
    void applyShowCommand(platform::UINT showCmd);
    void trackMenu(platform::Menu* menu);

    const Variant variant_;
    bool topmost_ = false;
    int sizeZone_ = 0;
    bool lightsOff_ = false;
    bool resizable_ = true;
    platform::Menu* contextMenu_ = nullptr;
    platform::Menu* trayMenu_ = nullptr;
    bool inTray_ = false;
    bool wasMaximized_ = false;
    platform::UINT hotKey_ = 0;
    // The region last given to the window; the window owns it.
    const platform::Region* windowRegion_ = nullptr;
};
