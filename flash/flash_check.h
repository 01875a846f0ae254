// Whether a recent enough movie control (the Flash Player) is registered, and its installation.
//
// The control file is the path registered as the default value of
// HKEY_CLASSES_ROOT\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}\InprocServer32 in the registry
// file; its version is the file version of the VS_FIXEDFILEINFO block it carries
// (platform/os/file_version.h). The installer is "Plus/install_flashplayer.exe" below the current
// directory (the installation directory).
//
// Every operation may run on any thread (the launcher calls them on its start-up worker); none
// keeps state between calls, so each call reads the registry and the file again. Log lines go
// to the debug log console.
#pragma once

#include <cstdint>
#include <string>

struct FlashVersion {
    std::int32_t major = 0;
    std::int32_t minor = 0;
};

// True when no control is registered, its file is missing, or its version is below `required`
// (major first, then minor, as signed numbers). Logs "ocxFileName:%s" (empty when none is
// registered), then, only when the file exists, the "FlashVer" lines of readFileVersion and
// "requireVer.major:%d", "requireVer.minor:%d".
bool needFlashInstall(const FlashVersion& required);

// Asks the user (Yes/No, system modal, captioned with the application's name) whether to
// install now. On Yes runs the installer, which ends the process when it could be started.
// Returns false when the user says No (nothing logged) or the installer cannot be started (logs
// "flash插件安装失败!" and tells the user in an OK box).
bool offerFlashInstall();

// The registered control file's path, or empty when the key or its default value is missing, is
// not text, or does not fit the 260-byte buffer with its terminating zero (259 bytes at most).
// The text ends at its first zero byte.
std::string readFlashOcxPath();

// Whether `path` names something that can be opened (CreateFile with no access): false for a
// missing path and for a directory.
bool fileExists(const std::string& path);

// Fills `version` with the major and minor file version of `path` (the upper and lower 16 bits
// of the block's most significant version word). Without a version block it returns at once,
// leaving `version` unchanged and logging nothing; otherwise logs "FlashVer.major:%d" and
// "FlashVer.minor:%d".
void readFileVersion(const std::string& path, FlashVersion& version);

// Starts the installer without arguments, waits for it without a time limit, logs its exit
// code ("exitCode:" and lower-case hexadecimal), sleeps 100 ms and ends the process with exit
// code 0 through the normal exit (exit handlers run). Returns false only when the installer
// cannot be started (missing, not executable).
bool runFlashInstaller();
