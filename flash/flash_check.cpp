#include "flash/flash_check.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <variant>

#include "common/console.h"
#include "platform/message_box.h"
#include "platform/os/clock.h"
#include "platform/os/file_version.h"
#include "platform/os/process.h"
#include "platform/os/registry.h"

namespace {

constexpr const char* kControlServerKey =
    "HKEY_CLASSES_ROOT\\CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\InprocServer32";
constexpr std::size_t kValueBufferSize = 260;
constexpr const char* kInstallerPath = "Plus/install_flashplayer.exe";

constexpr const char* kInstallQuestion =
    "flash插件还未安装或版本过低，是否现在安装?\n"
    "安装完成后再重新运行程序。如果安装失败：请手动安装flash插件或重新下载并安装Vexa超清客户端。\n"
    "如果已经安装了最新版本的flash插件(11.0)还不能正常启动，也请重新下载并安装Vexa超清客户端。";
constexpr const char* kInstallFailedLog = "flash插件安装失败!";
constexpr const char* kInstallFailedMessage = "flash插件安装失败, 检查是否正确下载了flash插件!";

std::string lowerHex(platform::DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
    return text;
}

}  // namespace

bool needFlashInstall(const FlashVersion& required) {
    const std::string path = readFlashOcxPath();
    consoleLogf("ocxFileName:%s", path);
    if (path.empty() || !fileExists(path)) return true;
    FlashVersion installed;
    readFileVersion(path, installed);
    consoleLogf("requireVer.major:%d", required.major);
    consoleLogf("requireVer.minor:%d", required.minor);
    if (installed.major != required.major) return installed.major < required.major;
    return installed.minor < required.minor;
}

bool offerFlashInstall() {
    if (platform::AfxMessageBox(kInstallQuestion, platform::MB_YESNO | platform::MB_SYSTEMMODAL) !=
        platform::IDYES)
        return false;
    runFlashInstaller();
    consoleLog(kInstallFailedLog);
    platform::AfxMessageBox(kInstallFailedMessage, platform::MB_OK);
    return false;
}

std::string readFlashOcxPath() {
    const auto value = platform::loadProcessRegistry().value(kControlServerKey, "");
    const auto* text = value ? std::get_if<std::string>(&*value) : nullptr;
    if (text == nullptr || text->size() >= kValueBufferSize) return {};
    return text->substr(0, text->find('\0'));
}

bool fileExists(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

void readFileVersion(const std::string& path, FlashVersion& version) {
    const auto info = platform::readFixedFileInfo(path);
    if (!info) return;
    version.major = static_cast<std::int32_t>(info->fileVersionMs >> 16);
    version.minor = static_cast<std::int32_t>(info->fileVersionMs & 0xFFFF);
    consoleLogf("FlashVer.major:%d", version.major);
    consoleLogf("FlashVer.minor:%d", version.minor);
}

bool runFlashInstaller() {
    auto installer = platform::Process::start(kInstallerPath, "");
    if (!installer) return false;
    consoleLog("exitCode:" + lowerHex(installer->wait()));
    platform::sleepFor(std::chrono::milliseconds(100));
    platform::exitProcess(0);
}
