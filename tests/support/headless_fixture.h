// Shared pieces of tests that run windows on the headless backend.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "platform/backend.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"

namespace test_support {

// Installs the headless backend unless the process has a backend already.
void useHeadlessBackend();

// Installs the headless backend before the first test.
class HeadlessTest : public ::testing::Test {
  protected:
    void SetUp() override;
};

// Pumps the calling thread's messages until `done` holds or `timeout` of real time passes;
// returns `done()`. The default is a limit only a fault reaches, however loaded the machine.
// Works on virtual time too, where it moves no clock.
bool pumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(60));
// Handles the messages and due timers the calling thread has now, without waiting.
void pumpPending();

// The text of a registry file that registers the library `module` as the Flash control.
std::string flashControlRegistry(const std::string& module);

}  // namespace test_support

namespace test_support {

// Installs a fresh headless backend that plays `script` (VEXO_HEADLESS_SCRIPT) and traces to
// `tracePath` when given. No window of an earlier backend may still exist.
void installScriptedBackend(const TempDir& dir, const std::string& script,
                            const std::string& tracePath = {});

}  // namespace test_support
