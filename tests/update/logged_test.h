// Fixtures of the update tests: the debug log console read back, and a current directory of
// the test's own.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/console.h"
#include "common/console_ids.h"
#include "platform/list_box.h"
#include "resources/launcher_resources.h"
#include "tests/support/headless_fixture.h"

namespace update_test {

// Opens the launcher's console (once per process) and reads the lines logged since SetUp.
class LoggedTest : public test_support::HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ASSERT_TRUE(openConsole(resources::launcherResources()));
        first_ = allLines().size();
    }
    std::vector<std::string> logged() const {
        const auto& lines = allLines();
        return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(first_),
                                        lines.end());
    }
    bool wasLogged(const std::string& line) const {
        const auto lines = logged();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

  private:
    static const std::vector<std::string>& allLines() {
        auto* list = g_consoleDlg.GetDlgItem(console::IDC_CONSOLE_LIST);
        return static_cast<platform::ListBox*>(list)->items();
    }
    std::size_t first_ = 0;
};

// Makes a fresh temporary directory the current directory until destroyed.
class InTempDir {
  public:
    InTempDir() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir_.path());
    }
    ~InTempDir() { std::filesystem::current_path(previous_); }
    const test_support::TempDir& dir() const { return dir_; }

  private:
    test_support::TempDir dir_;
    std::filesystem::path previous_;
};

}  // namespace update_test
