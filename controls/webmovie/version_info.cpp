// The library's version resource, laid out as Windows' VS_FIXEDFILEINFO so that version readers
// find it by scanning the file for its signature, as they would in a Windows module.
#include <cstdint>

namespace {

struct FixedFileInfo {
    std::uint32_t signature;
    std::uint32_t structVersion;
    std::uint32_t fileVersionMs;
    std::uint32_t fileVersionLs;
    std::uint32_t productVersionMs;
    std::uint32_t productVersionLs;
    std::uint32_t fileFlagsMask;
    std::uint32_t fileFlags;
    std::uint32_t fileOs;
    std::uint32_t fileType;
    std::uint32_t fileSubtype;
    std::uint32_t fileDateMs;
    std::uint32_t fileDateLs;
};
static_assert(sizeof(FixedFileInfo) == 52, "VS_FIXEDFILEINFO is 13 DWORDs");

constexpr std::uint32_t version(std::uint32_t high, std::uint32_t low) {
    return (high << 16) | low;
}

// 11.1.102.55, the version the hosting programs check for. `used` and `retain` keep
// it in the file although no code reads it.
[[gnu::used, gnu::retain, gnu::section(".vexo_version"),
  gnu::aligned(4)]] const FixedFileInfo kVersionInfo{
    0xFEEF04BD,        // signature
    0x00010000,        // struct version 1.0
    version(11, 1),    // file version 11.1
    version(102, 55),  //              .102.55
    version(11, 1),    // product version, the same
    version(102, 55),
    0x3F,        // VS_FFI_FILEFLAGSMASK
    0,           // a release build
    0x00040004,  // VOS_NT_WINDOWS32
    2,           // VFT_DLL
    0,
    0,
    0,
};

}  // namespace
