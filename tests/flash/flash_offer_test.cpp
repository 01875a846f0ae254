// The installation offer ends the process, so it runs in a program of its own on the headless
// backend, with scripted message-box answers.
#include <gtest/gtest.h>

#include <filesystem>

#include "flash/flash_check.h"
#include "platform/os/registry.h"
#include "platform/ui_trace.h"
#include "tests/flash/installation.h"
#include "tests/support/logged_test.h"
#include "tests/support/scoped_env.h"

namespace {

using flash_test::Installation;
using flash_test::Lines;

const std::string kQuestion =
    "flash插件还未安装或版本过低，是否现在安装?\n"
    "安装完成后再重新运行程序。如果安装失败：请手动安装flash插件或重新下载并安装Vexa超清客户端。\n"
    "如果已经安装了最新版本的flash插件(11.0)还不能正常启动，也请重新下载并安装Vexa超清客户端。";
const std::string kFailure = "flash插件安装失败, 检查是否正确下载了flash插件!";

// The box as the headless trace shows it; the caption is the offer program's name without
// ".exe".
std::string box(const std::string& type, const std::string& text, const std::string& answer) {
    return "type=" + type + " caption=" + platform::quoted("flash_offer") +
           " text=" + platform::quoted(text) + " answer=" + answer;
}

TEST(FlashOffer, YesRunsTheInstallerInTheInstallationWithoutArgumentsAndEndsWith0) {
    Installation installation;
    installation.writeInstallerScript("echo \"installer in $(pwd) with $# arguments\"\nexit 3\n");
    EXPECT_EQ(installation.runOffer({"IDYES"}), 0);
    const std::string where = std::filesystem::canonical(installation.path()).string();
    EXPECT_EQ(installation.offerOutput(), (Lines{"installer in " + where + " with 0 arguments",
                                                 "exitCode:3", "exit handlers ran"}));
    EXPECT_EQ(installation.messageBoxes(), Lines{box("0x00001004", kQuestion, "IDYES")});
}

TEST(FlashOffer, TheInstallersExitCodeIsLoggedInLowerCaseHexAndTheEndIsAlways0) {
    for (const auto& [code, hex] : {std::pair{0, "0"}, {3, "3"}, {171, "ab"}}) {
        SCOPED_TRACE(code);
        Installation installation;
        installation.writeInstallerScript("exit " + std::to_string(code) + "\n");
        EXPECT_EQ(installation.runOffer({"IDYES"}), 0);
        EXPECT_EQ(installation.offerOutput(),
                  (Lines{std::string("exitCode:") + hex, "exit handlers ran"}));
    }
}

TEST(FlashOffer, NoDeclinesWithoutRunningTheInstallerOrLogging) {
    Installation installation;
    installation.writeInstallerScript("touch ran\n");
    EXPECT_EQ(installation.runOffer({"IDNO"}), 10);
    EXPECT_EQ(installation.offerOutput(),
              (Lines{"offerFlashInstall returned false", "exit handlers ran"}));
    EXPECT_EQ(installation.messageBoxes(), Lines{box("0x00001004", kQuestion, "IDNO")});
    EXPECT_FALSE(std::filesystem::exists(installation.file("ran")));
}

TEST(FlashOffer, AnInstallerThatCannotStartIsReportedAndTheOfferReturnsFalse) {
    for (const bool present : {false, true}) {
        SCOPED_TRACE(present ? "not executable" : "missing");
        Installation installation;
        if (present) installation.writeInstallerScript("exit 0\n", false);
        EXPECT_EQ(installation.runOffer({"IDYES", "IDOK"}), 10);
        EXPECT_EQ(
            installation.offerOutput(),
            (Lines{"flash插件安装失败!", "offerFlashInstall returned false", "exit handlers ran"}));
        EXPECT_EQ(installation.messageBoxes(), (Lines{box("0x00001004", kQuestion, "IDYES"),
                                                      box("0x00000000", kFailure, "IDOK")}));
    }
}

// The whole "movie control missing" path: the built installer registers the installation's
// built web movie control, whose version then satisfies the check.
using FlashInstallEndToEnd = test_support::LoggedTest;

TEST_F(FlashInstallEndToEnd, TheRealInstallerRegistersTheInstallationsWebMovieControl) {
    Installation installation;
    installation.copyIn(WEBMOVIE_MODULE, "libwebmovie.so");
    installation.copyIn(INSTALLER_PROGRAM, "Plus/install_flashplayer.exe");
    platform::Registry before;
    before.setValue(R"(HKEY_CURRENT_USER\Software\Vexo)", "GUID", "kept");
    ASSERT_TRUE(before.save(installation.registryFile()));
    const test_support::ScopedEnv registry("VEXO_REGISTRY", installation.registryFile());
    ASSERT_TRUE(needFlashInstall({11, 0}));

    EXPECT_EQ(installation.runOffer({"IDYES"}), 0);
    const Lines output = installation.offerOutput();
    ASSERT_EQ(output.size(), 3u);
    EXPECT_TRUE(output[0].starts_with("registered ")) << output[0];
    EXPECT_EQ(output[1], "exitCode:0");

    const std::string control = readFlashOcxPath();
    EXPECT_TRUE(std::filesystem::equivalent(control, installation.file("libwebmovie.so")))
        << control;
    EXPECT_EQ(
        platform::loadProcessRegistry().readString(R"(HKEY_CURRENT_USER\Software\Vexo)", "GUID"),
        "kept");
    EXPECT_FALSE(needFlashInstall({11, 0}));
    EXPECT_FALSE(needFlashInstall({11, 1}));
    EXPECT_TRUE(needFlashInstall({11, 2}));
    EXPECT_TRUE(wasLogged("FlashVer.major:11"));
    EXPECT_TRUE(wasLogged("FlashVer.minor:1"));
}

}  // namespace
