// Registering a movie control library in the user's registry file, as a control's own setup
// would on Windows (regsvr32): the library becomes the default value of
// HKEY_CLASSES_ROOT\CLSID\<clsid>\InprocServer32.
#pragma once

#include <string>

// The Flash control's class, under which the programs look for their movie control.
inline constexpr const char* kFlashControlClsid = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";

// Registers `library`, made absolute against the current directory, under `clsid` in the
// registry file ($VEXO_REGISTRY or the default), keeping everything else in the file. Returns
// false, with a line on stderr that starts with `program`, when the library is not a regular
// file or the registry file cannot be written (it is then left as it was); on success one line
// on stdout names the library, the class and the file.
bool registerControl(const std::string& program, const std::string& library,
                     const std::string& clsid);

// Whether `library` (absolute) is what the registry file names under `clsid`.
bool controlRegistered(const std::string& library, const std::string& clsid);
