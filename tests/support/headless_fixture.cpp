#include "tests/support/headless_fixture.h"

#include <cstdlib>
#include <thread>

#include "platform/headless/headless_backend.h"
#include "platform/messages.h"

namespace test_support {

// One backend for the whole process: windows of process-wide objects (the console) outlive tests.
void useHeadlessBackend() {
    if (!platform::hasBackend()) platform::setBackend(platform::createHeadlessBackend());
}

void HeadlessTest::SetUp() { useHeadlessBackend(); }

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    using Steady = std::chrono::steady_clock;
    const auto deadline = Steady::now() + timeout;
    // Polled, not blocked on: a timer to keep a blocking loop turning would never fire on
    // virtual time.
    while (!done() && Steady::now() < deadline) {
        platform::MSG msg;
        if (!platform::peekMessage(msg, true)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (msg.message == platform::WM_QUIT) break;
        platform::dispatchMessage(msg);
    }
    return done();
}

void pumpPending() {
    platform::MSG msg;
    while (platform::peekMessage(msg, true)) platform::dispatchMessage(msg);
}

}  // namespace test_support

namespace test_support {

void installScriptedBackend(const TempDir& dir, const std::string& script,
                            const std::string& tracePath) {
    writeFile(dir.file("input.script"), script);
    setenv("VEXO_HEADLESS_SCRIPT", dir.file("input.script").c_str(), 1);
    if (!tracePath.empty()) setenv("VEXO_UI_TRACE", tracePath.c_str(), 1);
    platform::setBackend(platform::createHeadlessBackend());
    unsetenv("VEXO_HEADLESS_SCRIPT");
    unsetenv("VEXO_UI_TRACE");
}

std::string flashControlRegistry(const std::string& module) {
    return "Windows Registry Editor Version 5.00\n\n"
           "[HKEY_CLASSES_ROOT\\CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}\\InprocServer32]\n"
           "@=\"" +
           module + "\"\n";
}

}  // namespace test_support
