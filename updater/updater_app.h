// The updater program: swaps in the launcher that an update left in update/, then starts the
// player with the arguments it was given. It shows no window.
#pragma once

#include <string>
#include <vector>

class CUpdaterApp {
  public:
    // `args` is the whole argument vector, the program first; every argument after it reaches
    // the player unchanged, quoted where the player's split needs it. Runs in the installation
    // directory. Returns false always: the program ends when start-up returns. Nothing is
    // reported on any path: a launcher that stays locked is left for the player's own swap, a
    // player that cannot be started goes unnoticed.
    bool InitInstance(const std::vector<std::string>& args);
};

// The player's parameter text for `args` (the updater's own arguments, its name excluded):
// each argument quoted as needed and followed by one blank.
std::string playerParameters(const std::vector<std::string>& args);
