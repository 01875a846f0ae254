// Fuzzes the registry file's parser: whatever it accepts must write out as text that parses to
// the same registry, and survive a save to a file and a load back.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/os/registry.h"

namespace {

void check(bool holds) {
    if (!holds) __builtin_trap();
}

const std::string& scratchFile() {
    static const std::string path = "/tmp/vexo-fuzz-registry-" + std::to_string(getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<platform::Registry> registry = platform::Registry::parse(text);
    if (!registry) return 0;
    const std::string written = registry->serialize();
    const std::optional<platform::Registry> again = platform::Registry::parse(written);
    check(again.has_value() && *again == *registry);
    check(again->serialize() == written);
    check(registry->save(scratchFile()));
    check(platform::Registry::load(scratchFile()) == *registry);
    ::unlink(scratchFile().c_str());
    return 0;
}
