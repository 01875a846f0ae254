// What GDK and WebKit read from the environment about drawing as they start. Our windows and the
// movies' pages never draw with OpenGL (the pages never composite), yet GDK loads the GL driver
// as the display opens, and WebKit asks it for the DMA-BUF renderer and the web process's render
// node, unless the environment answers first: some 20 MB of driver and shader compiler in every
// program (bench/run-memory). Neither has a call for it, and setenv is safe only while no other
// thread reads the environment, so a program prepares it first thing in main.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Before any other thread starts, for the GTK backend (VEXO_BACKEND unset, empty or "gtk"): sets
// GDK_GL, WEBKIT_DISABLE_DMABUF_RENDERER and WEBKIT_WEB_RENDER_DEVICE_FILE where the user has not
// set them. The programs this one starts inherit them; the browser is started without them.
// Nothing for the headless backend.
void prepareDrawingEnvironment();

// The render node among `names`, the entries of /dev/dri: the lowest renderD<N>, as a path;
// nullopt when there is none.
std::optional<std::string> firstRenderNode(const std::vector<std::string>& names);

}  // namespace platform
