// Owner of the movie controls of one window area. A new movie goes into a fresh control in the
// slot the current one does not occupy; the previous control stays alive, hidden and without a
// parent, until the next play replaces it. Every native-to-movie call goes through here.
#pragma once

#include <cstdint>
#include <string>

#include "flash/shockwave_flash.h"

class FlashShell {
  public:
    // Calls into movies made from inside other calls on one thread, as a movie's command
    // handler makes them, nest at most this deep; a deeper call is not made. A control that
    // waits for its movie's answer in a nested event loop also nests the calls of input that
    // arrives meanwhile (keys typed while a slow movie answers), so the bound leaves room.
    static constexpr int kMaxCallDepth = 32;

    explicit FlashShell(platform::Window* parent = nullptr);
    virtual ~FlashShell();
    FlashShell(const FlashShell&) = delete;
    FlashShell& operator=(const FlashShell&) = delete;

    // Plays `url` in a new control with the given control ID and makes it current. Does
    // nothing without a parent window, or while the current movie is being stopped.
    virtual void play(const std::string& url, platform::UINT controlId);
    // Tells the movie to stop and marks the shell not ready; the controls stay.
    void stopPlay();
    // The reply of the current movie, or "" when not ready, when the call fails or when it
    // would nest deeper than kMaxCallDepth.
    std::string callFunction(const std::string& request);
    void fitToParent();
    platform::HWND controlWindow() const;
    void setParentWindow(platform::Window* parent) { parent_ = parent; }
    platform::Window* parentWindow() const { return parent_; }
    bool isReady() const;
    bool isParentNormal() const;

    // Dragging the window by the top strip of the movie. Positions are mouse-message lParams.
    void noteMouseDown(std::uint32_t position);
    bool isDragMove(std::uint32_t position) const;
    void startDrag(const platform::MSG& msg);
    void cancelDrag();
    bool isCommandSuppressed() const { return commandSuppressed_; }
    void setCommandSuppressed(bool suppressed) { commandSuppressed_ = suppressed; }

    void setWindow(bool value);
    void sendKeyCode(int keyCode);
    void doPause();
    void doResume();
    void click();
    void doubleClick();
    void sendMessage(const std::string& message);
    void callWithString(const std::string& name, const std::string& value);
    void setVolume(const std::string& value);

    // The controls, for tests and owners that inspect them.
    CShockwaveFlash* currentControl() const { return current_; }
    CShockwaveFlash* slotA() const { return slotA_; }
    CShockwaveFlash* slotB() const { return slotB_; }

  private:
    // Height of the strip at the top of the movie by which the window can be dragged.
    static constexpr std::uint16_t kDragStripHeight = 38;

    CShockwaveFlash* createControl(const std::string& url, platform::UINT controlId);
    void releaseControl(CShockwaveFlash* oldCurrent, CShockwaveFlash* spare);

    platform::Window* parent_ = nullptr;
    CShockwaveFlash* current_ = nullptr;
    CShockwaveFlash* slotA_ = nullptr;
    CShockwaveFlash* slotB_ = nullptr;
    bool ready_ = false;
    bool dragArmed_ = false;
    bool commandSuppressed_ = false;
    bool stopping_ = false;
    std::uint32_t pressPosition_ = 0;
};

// Adds the command entry point; the owner sets the parent window later.
class FlashCommandShell : public FlashShell {
  public:
    FlashCommandShell() : FlashShell(nullptr) {}
    // A command the movie raised (FSCommand): its name and its one argument string.
    virtual void handleCommand(const std::string& command, const std::string& args);
};
