// The library's one export: the host asks it for a control by CLSID.
#include <gtk/gtk.h>

#include <new>
#include <string_view>

#include "controls/core/flash_members.h"
#include "controls/webmovie/web_movie_control.h"

namespace {

using platform::control_abi::Control;
using platform::control_abi::ControlSite;

}  // namespace

// The control draws into a GTK container; on a backend without native widgets it cannot run.
extern "C" __attribute__((visibility("default"))) Control* vexoCreateControl(int abiVersion,
                                                                             const char* clsid,
                                                                             ControlSite* site) {
    if (!controls::isControlRequest(abiVersion, clsid, site)) return nullptr;
    auto* container = static_cast<GtkWidget*>(site->nativeContainer());
    if (container == nullptr || !GTK_IS_CONTAINER(container)) return nullptr;
    static int created = 0;  // controls live on the UI thread only
    return new (std::nothrow) controls::webmovie::WebMovieControl(site, container, ++created);
}
