// The debug log's lines caught for a test: a sink registered for the life of the object.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/console.h"

namespace test_support {

class CapturedLog : public ConsoleSink {
  public:
    CapturedLog() { addConsoleSink(*this); }
    // Threads that log must have ended: a line still being written would reach a dead sink.
    ~CapturedLog() override { removeConsoleSink(*this); }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    // From any thread; lines of one thread keep their order.
    void write(std::string_view line) override;
    // The lines caught so far, in the order they came.
    std::vector<std::string> lines() const;
    bool contains(const std::string& line) const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace test_support
