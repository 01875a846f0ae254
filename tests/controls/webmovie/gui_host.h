// A host for the built webmovie module in a real GTK window: the module through dlopen, a
// window whose container the control fills, and a site that records FSCommand events.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/control_abi.h"

namespace webmovie_test {

namespace abi = platform::control_abi;

constexpr std::int32_t kPlay = 0x70, kBackgroundColor = 0x7B, kLoadMovie = 0x8E, kFsCommand = 0x96,
                       kCallFunction = 0xC6;
constexpr const char* kFlashClsid = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";
constexpr int kWidth = 320, kHeight = 240;

using CreateControl = abi::Control* (*)(int, const char*, abi::ControlSite*);
using FsCommand = std::pair<std::string, std::string>;

// The module's entry point; the module stays loaded, as a host keeps it.
CreateControl moduleEntry();

// A web movie control for the Flash class on `site`; null when the module cannot make one.
std::unique_ptr<abi::Control> createWebMovie(abi::ControlSite& site);

class GuiSite final : public abi::ControlSite {
  public:
    explicit GuiSite(GtkWidget* container) : container_(container) {}
    void fireEvent(std::int32_t dispid, const std::vector<abi::Variant>& args) override;
    void postDelayed(std::uint32_t delayMs, std::function<void()> task) override;
    void* nativeContainer() override { return container_; }

    std::vector<FsCommand> fsCommands;  // every FSCommand raised, in order
    std::vector<std::int32_t> otherEvents;
    std::function<void(const FsCommand&)> onFsCommand;  // the host's handler, may call back in

  private:
    GtkWidget* container_;
};

// A shown top-level window of kWidth x kHeight with a container for one control.
class GuiWindow {
  public:
    GuiWindow();
    ~GuiWindow();
    GtkWidget* container() const { return container_; }
    // The colour 0xRRGGBB the screen shows at (x, y) of the window.
    std::uint32_t pixel(int x, int y) const;

  private:
    GtkWidget* window_;
    GtkWidget* container_;
};

// Runs the main loop until `done` holds or `timeoutMs` passes; returns whether it holds.
bool runUntil(const std::function<bool()>& done, int timeoutMs);
// Runs the main loop for `ms` milliseconds.
void runFor(int ms);

// Automation calls as the host makes them.
abi::InvokeResult loadMovie(abi::Control& control, const std::string& location);
abi::InvokeResult callFunction(abi::Control& control, const std::string& request);
abi::InvokeResult setBackground(abi::Control& control, std::int32_t rgb);
abi::InvokeResult play(abi::Control& control);
// The reply of a successful call, or a text that says why there is none.
std::string replyOf(const abi::InvokeResult& result);

// A fresh directory for the test's movies, removed with it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    std::string write(const std::string& name, const std::string& bytes) const;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Whether (command, args) has been raised.
bool hasFsCommand(const GuiSite& site, const FsCommand& wanted);

}  // namespace webmovie_test
