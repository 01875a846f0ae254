// Drives the built scriptmovie module as a host would: dlopen, a site that records events and
// runs posted tasks on a simulated clock, and a trace file per test.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "controls/control_abi.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace scriptmovie_test {

namespace abi = platform::control_abi;

constexpr std::int32_t kPlay = 0x70, kBackgroundColor = 0x7B, kLoadMovie = 0x8E, kFsCommand = 0x96,
                       kCallFunction = 0xC6;
constexpr const char* kFlashClsid = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";

struct FakeSite final : abi::ControlSite {
    struct Event {
        std::int32_t dispid;
        std::vector<abi::Variant> args;
    };
    struct Task {
        std::uint64_t due;
        std::uint32_t delay;
        std::function<void()> run;
    };
    std::vector<Event> events;
    std::function<void(const Event&)> onEvent;  // the host's handler, may call back in
    std::vector<Task> tasks;                    // posted and not yet run, in posting order
    std::uint64_t now = 0;

    void fireEvent(std::int32_t dispid, const std::vector<abi::Variant>& args) override {
        events.push_back({dispid, args});
        Event copy = events.back();
        if (onEvent) onEvent(copy);
    }
    void postDelayed(std::uint32_t delayMs, std::function<void()> task) override {
        tasks.push_back({now + delayMs, delayMs, std::move(task)});
    }
    void* nativeContainer() override { return nullptr; }

    // Runs every task, the earliest due first (ties in posting order), as the clock reaches it.
    void runTasks() {
        while (!tasks.empty()) {
            auto next = std::min_element(tasks.begin(), tasks.end(),
                                         [](auto& a, auto& b) { return a.due < b.due; });
            Task task = std::move(*next);
            tasks.erase(next);
            now = task.due;
            task.run();
        }
    }

    // "command|args" for each FSCommand raised.
    std::vector<std::string> fsCommands() const {
        std::vector<std::string> out;
        for (const auto& e : events) {
            if (e.dispid != kFsCommand || e.args.size() != 2) continue;
            out.push_back(std::get<std::string>(e.args[0]) + "|" +
                          std::get<std::string>(e.args[1]));
        }
        return out;
    }
};

using CreateControl = abi::Control* (*)(int, const char*, abi::ControlSite*);

// The module stays loaded for the whole process, as a host keeps it.
inline CreateControl moduleEntry() {
    static void* handle = dlopen(SCRIPTMOVIE_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) ADD_FAILURE() << dlerror();
    return handle ? reinterpret_cast<CreateControl>(dlsym(handle, "vexoCreateControl")) : nullptr;
}

class ScriptMovieTest : public ::testing::Test {
  protected:
    void SetUp() override {
        create_ = moduleEntry();
        ASSERT_NE(create_, nullptr);
        ASSERT_FALSE(temp_.path().empty());
    }

    std::unique_ptr<abi::Control> create(const char* clsid = kFlashClsid) {
        return std::unique_ptr<abi::Control>(create_(abi::kAbiVersion, clsid, &site_));
    }
    std::string writeMovie(const std::string& name, const std::string& text) {
        std::ofstream((dir_ / name).string()) << text;
        return (dir_ / name).string();
    }
    static abi::InvokeResult load(abi::Control& c, const std::string& location) {
        return c.invoke(kLoadMovie, abi::InvokeKind::Method, {std::int32_t{0}, location});
    }
    static abi::InvokeResult play(abi::Control& c) {
        return c.invoke(kPlay, abi::InvokeKind::Method, {});
    }
    static abi::InvokeResult callFunction(abi::Control& c, const std::string& request) {
        return c.invoke(kCallFunction, abi::InvokeKind::Method, {request});
    }
    static std::string request(const std::string& name) {
        return "<invoke name=\"" + name + "\" ><arguments></arguments></invoke>";
    }
    std::vector<std::string> traceLines() const {
        std::ifstream in(dir_ / "trace.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    CreateControl create_ = nullptr;
    FakeSite site_;
    test_support::TempDir temp_;
    std::filesystem::path dir_{temp_.path()};
    test_support::ScopedEnv trace_{"VEXO_SCRIPTMOVIE_TRACE", (dir_ / "trace.txt").string()};
};

}  // namespace scriptmovie_test
