#include "tests/support/captured_log.h"

#include <algorithm>

namespace test_support {

void CapturedLog::write(std::string_view line) {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(line);
}

std::vector<std::string> CapturedLog::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool CapturedLog::contains(const std::string& line) const {
    const auto all = lines();
    return std::find(all.begin(), all.end(), line) != all.end();
}

}  // namespace test_support
