#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "common/console.h"
#include "tests/support/captured_log.h"

// Every allocation of the process is counted, to show that logging while no sink listens
// allocates nothing.
namespace {
std::atomic<long> g_allocations{0};
}  // namespace

// GCC takes the replaced pair for the library's and warns that free does not match new.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
#pragma GCC diagnostic pop

namespace {

using Strings = std::vector<std::string>;
using test_support::CapturedLog;

// Writes "<name>:<line>" into a record shared by several sinks, to show the order they are
// called in.
class NamedSink : public ConsoleSink {
  public:
    NamedSink(std::string name, Strings& record) : name_(std::move(name)), record_(record) {}
    void write(std::string_view line) override {
        record_.push_back(name_ + ":" + std::string(line));
    }

  private:
    std::string name_;
    Strings& record_;
};

void logFormattedLines(const std::string& host) {
    consoleLogf("HttpClient::open:invalid address %s:%d", host, 80);
    consoleLogf("httpFile.statusCode:%d", 404);
    consoleLogf("ocxFileName:%s", host);
    consoleLogf("key:%s", "value");
}

TEST(ConsoleTest, WithoutASinkNothingIsWrittenAnywhere) {
    testing::internal::CaptureStdout();
    consoleLog("one");
    consoleLogf("主版本号:%d", 3);
    consoleLogf("key:%s", "value");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(consoleEnabled());
}

TEST(ConsoleTest, WithoutASinkFormattedLinesAllocateNothing) {
    const std::string host = "update.example.com";
    const long before = g_allocations;
    logFormattedLines(host);
    EXPECT_EQ(g_allocations - before, 0);
}

TEST(ConsoleTest, OnceTheLastSinkIsRemovedNothingIsFormattedAgain) {
    { CapturedLog log; }
    EXPECT_FALSE(consoleEnabled());
    const std::string host = "update.example.com";
    const long before = g_allocations;
    logFormattedLines(host);
    EXPECT_EQ(g_allocations - before, 0);
}

TEST(ConsoleTest, LinesReachASinkFormattedAndInCallOrder) {
    CapturedLog log;
    EXPECT_TRUE(consoleEnabled());
    consoleLog("b line");
    consoleLogf("主版本号:%d", 3);
    consoleLogf("httpFile.statusCode:%ld", 404);
    consoleLogf("MainPlayer::handleCommand:%s", std::string("Close"));
    consoleLogf("invalid address %s:%d", std::string("h"), -1);
    consoleLogf("%s:%d", "c", 7);
    consoleLog(std::string("a line"));
    EXPECT_EQ(log.lines(), (Strings{"b line", "主版本号:3", "httpFile.statusCode:404",
                                    "MainPlayer::handleCommand:Close", "invalid address h:-1",
                                    "c:7", "a line"}));
}

TEST(ConsoleTest, EachLineGoesToEverySinkInTheOrderTheyWereAdded) {
    Strings record;
    NamedSink first("first", record);
    NamedSink second("second", record);
    addConsoleSink(first);
    addConsoleSink(second);
    consoleLog("one");
    consoleLogf("two:%d", 2);
    removeConsoleSink(first);
    removeConsoleSink(second);
    EXPECT_EQ(record, (Strings{"first:one", "second:one", "first:two:2", "second:two:2"}));
}

TEST(ConsoleTest, ARemovedSinkGetsNoMoreLinesAndTheOthersGoOn) {
    CapturedLog kept;
    auto removed = std::make_unique<CapturedLog>();
    consoleLog("both");
    EXPECT_EQ(removed->lines(), Strings{"both"});
    removed.reset();
    consoleLog("kept only");
    EXPECT_TRUE(consoleEnabled());
    EXPECT_EQ(kept.lines(), (Strings{"both", "kept only"}));
}

}  // namespace
