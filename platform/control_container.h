// The host side of a hosted control: finds the library registered for a CLSID, asks it for
// the control, and is the control's site (events, delayed tasks, native container).
#pragma once

#include <memory>
#include <string_view>

#include "controls/control_abi.h"
#include "platform/os/win32.h"
#include "platform/thread_queue.h"

namespace platform {

class Window;

using ControlFactory = decltype(&vexoCreateControl);

class ControlContainer final : public control_abi::ControlSite {
  public:
    // The factory of the library registered under HKEY_CLASSES_ROOT\CLSID\<clsid>\InprocServer32,
    // or nullptr. Libraries stay loaded for the life of the process.
    static ControlFactory findFactory(std::string_view clsid);
    // A control from `factory` hosted in `window`, or nullptr when the library declines.
    static std::unique_ptr<ControlContainer> create(ControlFactory factory, std::string_view clsid,
                                                    Window& window);
    ~ControlContainer();

    control_abi::InvokeResult invoke(DISPID dispid, control_abi::InvokeKind kind,
                                     const std::vector<control_abi::Variant>& args);
    void focus();

    void fireEvent(std::int32_t dispid, const std::vector<control_abi::Variant>& args) override;
    void postDelayed(std::uint32_t delayMs, std::function<void()> task) override;
    void* nativeContainer() override;

  private:
    explicit ControlContainer(Window& window)
        : window_(window), queue_(ThreadQueue::currentShared()) {}

    Window& window_;
    std::shared_ptr<ThreadQueue> queue_;
    std::unique_ptr<control_abi::Control> control_;
    // Shared with posted tasks, so a task that runs after the container is gone does nothing.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace platform
