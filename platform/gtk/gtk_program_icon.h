// The icons of the program's resources, drawn for GTK: the program's icon (resource 128), a
// white play sign on a blue rounded square, at any size.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "platform/os/win32.h"

namespace platform {

constexpr UINT kProgramIcon = 128;

// Icon resource `resource` drawn `size` pixels square (a new reference); null for a resource
// the program does not have.
GdkPixbuf* drawIcon(UINT resource, int size);

}  // namespace platform
