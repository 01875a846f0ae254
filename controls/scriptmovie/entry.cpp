// The library's one export: the host asks it for a control by CLSID.
#include <atomic>
#include <new>
#include <string_view>

#include "controls/core/flash_members.h"
#include "controls/scriptmovie/script_control.h"

namespace {

using platform::control_abi::Control;
using platform::control_abi::ControlSite;

}  // namespace

extern "C" __attribute__((visibility("default"))) Control* vexoCreateControl(int abiVersion,
                                                                             const char* clsid,
                                                                             ControlSite* site) {
    if (!controls::isControlRequest(abiVersion, clsid, site)) return nullptr;
    static std::atomic<int> created{0};
    return new (std::nothrow) controls::scriptmovie::ScriptControl(site, ++created);
}
