// Choosing the window backend at program start-up, and what a person reads when it fails.
#include "platform/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

using namespace platform;

// Installs the backend the environment names; returns what was written to standard error.
std::string install(bool expectSuccess) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(installBackendFromEnvironment(), expectSuccess);
    return testing::internal::GetCapturedStderr();
}

bool isOneLine(const std::string& text) {
    return !text.empty() && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 1;
}

TEST(StartupBackend, WithoutADisplayTheDefaultBackendFailsWithOneLineSayingWhatToDo) {
    unsetenv("VEXO_BACKEND");
    unsetenv("DISPLAY");
    const std::string error = install(false);
    EXPECT_EQ(error,
              "vexo: cannot open a display (DISPLAY is not set); set DISPLAY, or run with "
              "VEXO_BACKEND=headless\n");
    EXPECT_FALSE(hasBackend());
}

TEST(StartupBackend, UnreachableDisplayIsNamedInTheOneLine) {
    setenv("VEXO_BACKEND", "gtk", 1);
    setenv("DISPLAY", ":4999", 1);
    const std::string error = install(false);
    EXPECT_TRUE(isOneLine(error)) << error;
    EXPECT_NE(error.find("\":4999\""), std::string::npos) << error;
    EXPECT_NE(error.find("VEXO_BACKEND=headless"), std::string::npos) << error;
}

TEST(StartupBackend, HeadlessIsChosenByName) {
    setenv("VEXO_BACKEND", "headless", 1);
    unsetenv("DISPLAY");
    EXPECT_EQ(install(true), "");
    ASSERT_TRUE(hasBackend());
    EXPECT_EQ(backend().name(), "headless");
}

TEST(StartupBackend, UnknownBackendNameIsRefusedWithOneLine) {
    setenv("VEXO_BACKEND", "qt", 1);
    const std::string error = install(false);
    EXPECT_TRUE(isOneLine(error)) << error;
    EXPECT_NE(error.find("\"qt\""), std::string::npos) << error;
    EXPECT_FALSE(hasBackend());
}

}  // namespace
