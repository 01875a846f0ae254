// What an administrator decides for every user of the machine, in a file only root writes
// (a distribution's package installs it under /etc/vexo-client).
//
//   # a properties file, as config.properties
//   self-update = off
//
// `self-update = off` makes the launcher skip the update check and run altogether: the
// installation then changes only when the system package does.
#pragma once

#include <string>

namespace launcher {

struct SystemSettings {
    bool selfUpdate = true;
};

// The settings file: $VEXO_SYSTEM_SETTINGS, else the build's VEXO_SYSTEM_SETTINGS_FILE
// (/etc/vexo-client/client.properties).
std::string systemSettingsPath();

// Reads `path`. A missing or unreadable file changes nothing. `self-update` turns off only
// with "off", "false", "no" or "0" and stays on with "on", "true", "yes" or "1"; any other
// value keeps it on and says so on stderr, so a typing slip cannot pass silently.
SystemSettings loadSystemSettings(const std::string& path);

}  // namespace launcher
