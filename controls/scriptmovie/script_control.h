// The scriptmovie control: a stand-in for the Flash movie control that plays scripted movies,
// so the programs hosting movies can be tested without Flash.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/control_abi.h"
#include "controls/core/flash_members.h"
#include "controls/scriptmovie/script.h"

namespace controls::scriptmovie {

class ScriptControl final : public platform::control_abi::Control {
  public:
    using InvokeResult = platform::control_abi::InvokeResult;
    using InvokeKind = platform::control_abi::InvokeKind;
    using Args = std::vector<platform::control_abi::Variant>;

    // `instance` numbers the controls of this process in the trace.
    ScriptControl(platform::control_abi::ControlSite* site, int instance);
    ~ScriptControl() override;

    InvokeResult invoke(std::int32_t dispid, InvokeKind kind, const Args& args) override;
    void focus() override;

  private:
    InvokeResult dispatch(std::int32_t dispid, InvokeKind kind, const Args& args);
    InvokeResult putBackgroundColor(InvokeKind kind, const Args& args);
    InvokeResult play(InvokeKind kind, const Args& args);
    InvokeResult loadMovie(InvokeKind kind, const Args& args);
    InvokeResult callFunction(InvokeKind kind, const Args& args);

    // Schedules the current movie's timeline once both a movie and Play have come.
    void startTimeline();
    void raiseTimed(std::uint64_t generation, const std::vector<FsCommand>& events);
    void raise(const FsCommand& event);

    platform::control_abi::ControlSite* site_;
    int instance_;
    std::shared_ptr<const Script> movie_;  // shared so a call survives a reload from a handler
    bool playing_ = false;                 // Play has been called
    bool timelineStarted_ = false;         // the current movie's timeline is scheduled
    std::uint64_t generation_ = 0;         // counts loads; older timeline tasks stand down
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // posted tasks hold it weakly
};

}  // namespace controls::scriptmovie
