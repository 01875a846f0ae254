#include "controls/core/control_entry.h"

#include "controls/core/flash_members.h"

extern "C" __attribute__((visibility("default"))) platform::control_abi::Control* vexoCreateControl(
    int abiVersion, const char* clsid, platform::control_abi::ControlSite* site) {
    if (!controls::isControlRequest(abiVersion, clsid, site)) return nullptr;
    return controls::makeControl(site);
}
