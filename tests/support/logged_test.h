// A fixture whose test reads back the debug log lines written while it runs.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/captured_log.h"

namespace test_support {

class LoggedTest : public ::testing::Test {
  protected:
    std::vector<std::string> logged() const { return log_.lines(); }
    bool wasLogged(const std::string& line) const { return log_.contains(line); }

  private:
    CapturedLog log_;
};

}  // namespace test_support
