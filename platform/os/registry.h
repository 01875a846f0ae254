// The registry: one text file in the `.reg` format of the Windows registry editor.
//
// Keys are full paths that begin with a root key name (HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE,
// HKEY_CURRENT_USER, ...), separated by single backslashes. Key paths and value names compare
// case-insensitively (ASCII), as Windows' do; the spelling first written is kept. The empty
// value name is the key's default value ("@" in the file).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace platform {

// Far more than the keys and values these programs keep.
inline constexpr long long kMaxRegistryFileSize = 16LL << 20;

// A registry value: REG_SZ text or REG_DWORD number.
using RegistryValue = std::variant<std::string, std::uint32_t>;

class Registry {
  public:
    // An empty registry, not bound to a file.
    Registry() = default;

    // Reads `path`. A missing file is an empty registry. A file that is not a regular file (it
    // is never waited on: a pipe or device in its place is refused at once), is larger than
    // `kMaxRegistryFileSize` or cannot be read, and a malformed file, write one line naming the
    // file and the fault (with the line number) to stderr and give an empty registry.
    static Registry load(const std::string& path);

    // Parses `.reg` text. Returns nullopt and sets `error` ("line N: ...") when malformed.
    static std::optional<Registry> parse(std::string_view text, std::string* error = nullptr);

    // The `.reg` text of the whole registry ("Windows Registry Editor Version 5.00" header).
    std::string serialize() const;

    // Writes the registry to `path`, replacing the file atomically (see file_replace.h: a new
    // file beside it, never reached through a link, renamed over it) and creating its
    // directory. False when it cannot be written; the old file is then left as it was.
    bool save(const std::string& path) const;

    // Same keys (spelled the same) holding the same values.
    bool operator==(const Registry&) const = default;

    bool keyExists(std::string_view keyPath) const;
    std::optional<RegistryValue> value(std::string_view keyPath, std::string_view name) const;
    // The value as text: a string as it is, a number in decimal. nullopt when absent.
    std::optional<std::string> readString(std::string_view keyPath, std::string_view name) const;

    // Creates the key and every missing parent. A path that does not start with a root key, or
    // has an empty key name or a line break in it, is ignored (the file could not hold it).
    void createKey(std::string_view keyPath);
    // Creates the key when missing.
    void setValue(std::string_view keyPath, std::string_view name, RegistryValue value);
    bool deleteValue(std::string_view keyPath, std::string_view name);
    // Deletes the key with all its subkeys. False when there was no such key.
    bool deleteKey(std::string_view keyPath);

  private:
    struct CaseInsensitiveLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    // Map keys keep the spelling first written: inserting an equivalent name leaves it alone.
    using Values = std::map<std::string, RegistryValue, CaseInsensitiveLess>;
    Values* findKey(std::string_view keyPath);
    const Values* findKey(std::string_view keyPath) const;
    // The key's values, creating the key and its parents; nullptr when the path is unusable.
    Values* ensureKey(std::string_view keyPath);

    std::map<std::string, Values, CaseInsensitiveLess> keys_;
};

// The user's folder of the client's own files: $XDG_DATA_HOME/vexo (or ~/.local/share/vexo).
std::string userDataDirectory();

// The process's registry file: $VEXO_REGISTRY, else $XDG_DATA_HOME/vexo/registry.reg (or
// ~/.local/share/vexo/registry.reg).
std::string registryPath();

// The registry file read afresh (Windows readers always see what another program just wrote).
Registry loadProcessRegistry();

}  // namespace platform
