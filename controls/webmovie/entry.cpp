// The webmovie library's control: it draws into a GTK container, so on a backend without native
// widgets it cannot run.
#include <gtk/gtk.h>

#include <new>

#include "controls/core/control_entry.h"
#include "controls/webmovie/web_movie_control.h"

platform::control_abi::Control* controls::makeControl(platform::control_abi::ControlSite* site) {
    auto* container = static_cast<GtkWidget*>(site->nativeContainer());
    if (container == nullptr || !GTK_IS_CONTAINER(container)) return nullptr;
    static int created = 0;  // controls live on the UI thread only
    return new (std::nothrow) webmovie::WebMovieControl(site, container, ++created);
}
