// Fuzzes Properties::load with arbitrary file content and checks the shape of every pair.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "update/config/properties.h"

namespace {

bool hasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

void check(bool holds) {
    if (!holds) __builtin_trap();
}

const std::string& scratchFile() {
    static const std::string path = "/tmp/vexo-fuzz-properties-" + std::to_string(getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(scratchFile().c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    update::Properties table;
    check(table.load(scratchFile()));
    for (const auto& [key, value] : table.entries()) {
        check(key.find('=') == key.npos && !hasLineBreak(key) && !hasLineBreak(value));
        check(!key.starts_with(' ') && !key.ends_with(' ') && !key.starts_with('#'));
        check(!value.starts_with(' ') && !value.ends_with(' '));
        check(table.get(key) == value);
    }
    update::Properties fromText;
    fromText.loadText(std::string_view(reinterpret_cast<const char*>(data), size));
    check(fromText.entries() == table.entries());
    return 0;
}
