// Whether a recent enough movie control (the Flash Player) is registered, and its installation.
//
// The control file is the path registered as the default value of
// HKEY_CLASSES_ROOT\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}\InprocServer32 in the registry
// file; its version is the file version of the VS_FIXEDFILEINFO block it carries. The installer
// is "Plus/install_flashplayer.exe" below the current directory (the installation directory).
//
// Every operation may run on any thread (the launcher calls them on its start-up worker); none
// keeps state between calls. Log lines go to the debug log console.
#pragma once

#include <cstdint>
#include <string>

struct FlashVersion {
    std::int32_t major = 0;
    std::int32_t minor = 0;
};

// True when no control is registered, its file is missing, or its version is below `required`
// (major first, then minor, as signed numbers). Logs "ocxFileName:%s", then, when the file
// exists, the installed and the required version.
bool needFlashInstall(const FlashVersion& required);

// Asks the user (Yes/No, system modal) whether to install now. On Yes runs the installer, which
// ends the process when it could be started; returns false when the user says No or the
// installer cannot be started (the user is told so).
bool offerFlashInstall();

// The registered control file's path, or empty when the key or its default value is missing.
std::string readFlashOcxPath();

// Whether `path` names something that can be opened (CreateFile with no access).
bool fileExists(const std::string& path);

// Fills `version` with the major and minor file version of `path`; leaves it unchanged when the
// file has no version block. Logs "FlashVer.major:%d" and "FlashVer.minor:%d" when the file has
// a version block (with 0.0 when it cannot be read).
void readFileVersion(const std::string& path, FlashVersion& version);

// Starts the installer without arguments, waits for it without a time limit, logs its exit
// code ("exitCode:" and lower-case hexadecimal) and ends the process with exit code 0. Returns
// false only when the installer cannot be started.
bool runFlashInstaller();
