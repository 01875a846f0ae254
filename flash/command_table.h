// The command tables of the movie shells: a movie's command name, compared as a whole and
// case-sensitively, selects a member action; the first equal name wins.
#pragma once

#include <cstring>
#include <string>

template <class Shell>
struct CommandEntry {
    const char* name;
    void (Shell::*action)(const std::string& args);
};

// Runs the action of the first entry named `command`; false when no entry has that name.
template <class Shell, std::size_t N>
bool runCommand(Shell& shell, const CommandEntry<Shell> (&table)[N], const std::string& command,
                const std::string& args) {
    for (const auto& entry : table) {
        if (std::strcmp(entry.name, command.c_str()) != 0) continue;
        (shell.*entry.action)(args);
        return true;
    }
    return false;
}
