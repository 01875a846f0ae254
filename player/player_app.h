// The player program: single instance, command line, launcher swap, then the backdrop's modal
// run, which lasts as long as the program.
#pragma once

#include <string>
#include <vector>

class CPlayerApp {
  public:
    // `args` is the whole argument vector, the program first. Returns false always, as the
    // program ends when start-up returns (normal ends come from inside the main window).
    bool InitInstance(const std::vector<std::string>& args);
};
