// The library's one export: the host asks it for a control by CLSID.
#include <gtk/gtk.h>

#include <new>
#include <string_view>

#include "controls/webmovie/web_movie_control.h"

namespace {

using platform::control_abi::Control;
using platform::control_abi::ControlSite;

// The Shockwave Flash object's class: hosts ask for it by that name.
constexpr std::string_view kFlashClsid = "D27CDB6E-AE6D-11CF-96B8-444553540000";

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Braces are optional: hosts differ in whether they pass them.
bool isFlashClsid(std::string_view clsid) {
    if (clsid.size() == kFlashClsid.size() + 2 && clsid.front() == '{' && clsid.back() == '}') {
        clsid = clsid.substr(1, kFlashClsid.size());
    }
    if (clsid.size() != kFlashClsid.size()) return false;
    for (std::size_t i = 0; i < clsid.size(); ++i) {
        if (upper(clsid[i]) != kFlashClsid[i]) return false;
    }
    return true;
}

}  // namespace

// The control draws into a GTK container; on a backend without native widgets it cannot run.
extern "C" __attribute__((visibility("default"))) Control* vexoCreateControl(int abiVersion,
                                                                             const char* clsid,
                                                                             ControlSite* site) {
    if (abiVersion != platform::control_abi::kAbiVersion || clsid == nullptr || site == nullptr ||
        !isFlashClsid(clsid)) {
        return nullptr;
    }
    auto* container = static_cast<GtkWidget*>(site->nativeContainer());
    if (container == nullptr || !GTK_IS_CONTAINER(container)) return nullptr;
    static int created = 0;  // controls live on the UI thread only
    return new (std::nothrow) controls::webmovie::WebMovieControl(site, container, ++created);
}
