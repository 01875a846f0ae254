// The scriptmovie library's control: any number of them, numbered for the trace.
#include <atomic>
#include <new>

#include "controls/core/control_entry.h"
#include "controls/scriptmovie/script_control.h"

platform::control_abi::Control* controls::makeControl(platform::control_abi::ControlSite* site) {
    static std::atomic<int> created{0};
    return new (std::nothrow) scriptmovie::ScriptControl(site, ++created);
}
