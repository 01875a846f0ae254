// The boundary between a host window and a movie control loaded from a shared library.
//
// A control library is named by the InprocServer32 value of its CLSID in the registry. The host
// loads it with dlopen and asks it for a control through the one exported C function below. The
// interfaces are abstract C++ classes, the same way a COM object is a table of virtual functions;
// host and control are built by the same compiler from this header. Nothing here throws across
// the boundary: a failed automation call is reported in its result.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace platform::control_abi {

// Bumped whenever a signature below changes; a library built for another version is refused.
constexpr int kAbiVersion = 1;

// The typed parameters of an automation call: empty, 32-bit integer, bool or (UTF-8) string.
using Variant = std::variant<std::monostate, std::int32_t, bool, std::string>;

// IDispatch::Invoke's wFlags values for the kinds the programs use.
enum class InvokeKind : std::uint16_t {
    Method = 1,
    PropertyGet = 2,
    PropertyPut = 4,
};

// The outcome of one automation call. ok == false is a dispatch exception: `error` says why
// (the exception's description), and the host raises it to its caller.
struct InvokeResult {
    bool ok = true;
    Variant value;
    std::string error;

    static InvokeResult success(Variant v = {}) { return {true, std::move(v), {}}; }
    static InvokeResult failure(std::string why) { return {false, {}, std::move(why)}; }
};

// What the host offers a control. All calls, and every callback they schedule, happen on the
// thread that owns the host window (the control's UI thread).
class ControlSite {
  public:
    // Raises an event of the control; the host routes it to the event sink of the window that
    // contains the control, by (control ID, dispid). Returns when the handler has returned, so
    // a handler may call back into the control (re-entrancy).
    virtual void fireEvent(std::int32_t dispid, const std::vector<Variant>& args) = 0;

    // Runs `task` on the host's UI thread after at least `delayMs` milliseconds, from the host's
    // message loop. Pending tasks are dropped when the control is destroyed.
    virtual void postDelayed(std::uint32_t delayMs, std::function<void()> task) = 0;

    // The native widget of the control's own window, which the control fills, or nullptr when
    // the backend has no native widgets (the headless backend). A control that needs a widget
    // and gets none reports failure from its creation.
    virtual void* nativeContainer() = 0;

  protected:
    ~ControlSite() = default;
};

// One control instance. Destroyed by the host with delete, on the UI thread.
class Control {
  public:
    virtual ~Control() = default;

    // An automation call by DISPID (IDispatch::Invoke).
    virtual InvokeResult invoke(std::int32_t dispid, InvokeKind kind,
                                const std::vector<Variant>& args) = 0;

    // The control's window got the keyboard focus.
    virtual void focus() = 0;
};

}  // namespace platform::control_abi

// The single entry point of a control library. Returns a new control for `clsid` (the text in
// braces, any case), or nullptr when the library does not implement that class, was built for
// another ABI version, or cannot run here.
extern "C" platform::control_abi::Control* vexoCreateControl(
    int abiVersion, const char* clsid, platform::control_abi::ControlSite* site);
