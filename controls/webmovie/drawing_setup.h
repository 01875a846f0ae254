// What WebKit must know before its first object about how the movies are drawn. Their pages
// never composite (MovieView::createSettings), so the UI process needs no GL; but WebKit asks the
// GL driver for the DMA-BUF renderer and for the web process's render node unless the
// environment answers first, and loading that driver costs this process some 20 MB
// (bench/run-memory). WebKit reads these answers only from the environment.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace controls::webmovie {

// Once, before the first WebKit object: sets what the user has not set himself.
void prepareDrawing();

// The variables prepareDrawing() set. They are this process's and its web processes' business:
// a program started for the user, such as the browser, gets the environment without them.
const std::vector<std::string>& drawingVariablesSet();

// The render node among `names`, the entries of /dev/dri: the lowest renderD<N>, as a path;
// nullopt when there is none.
std::optional<std::string> firstRenderNode(const std::vector<std::string>& names);

}  // namespace controls::webmovie
