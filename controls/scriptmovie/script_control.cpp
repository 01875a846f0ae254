#include "controls/scriptmovie/script_control.h"

#include <cstdio>
#include <exception>

#include "controls/core/invoke_request.h"
#include "controls/scriptmovie/movie_fetch.h"
#include "controls/scriptmovie/trace.h"

namespace controls::scriptmovie {
namespace {

using platform::control_abi::InvokeKind;
using platform::control_abi::InvokeResult;
using platform::control_abi::Variant;

const char* memberName(std::int32_t dispid) {
    switch (dispid) {
        case kPlay:
            return "Play";
        case kBackgroundColor:
            return "BackgroundColor";
        case kLoadMovie:
            return "LoadMovie";
        case kCallFunction:
            return "CallFunction";
        default:
            return nullptr;
    }
}

std::vector<std::string> traceFields(const std::vector<Variant>& args) {
    std::vector<std::string> fields;
    for (const auto& arg : args) fields.push_back(traceField(arg));
    return fields;
}

std::shared_ptr<const Script> openMovie(const std::string& location) {
    std::string error;
    auto script = loadScriptMovie(location, &error);
    if (script) return std::make_shared<const Script>(std::move(*script));
    std::fputs(("scriptmovie: cannot play " + location + ": " + error + "\n").c_str(), stderr);
    return std::make_shared<const Script>();
}

}  // namespace

ScriptControl::ScriptControl(platform::control_abi::ControlSite* site, int instance)
    : site_(site), instance_(instance), movie_(std::make_shared<const Script>()) {}

ScriptControl::~ScriptControl() { writeTrace(instance_, "Destroyed", {}); }

InvokeResult ScriptControl::invoke(std::int32_t dispid, InvokeKind kind, const Args& args) {
    try {
        return dispatch(dispid, kind, args);
    } catch (const std::exception& e) {
        return InvokeResult::failure(std::string("scriptmovie: ") + e.what());
    }
}

void ScriptControl::focus() { writeTrace(instance_, "Focus", {}); }

InvokeResult ScriptControl::dispatch(std::int32_t dispid, InvokeKind kind, const Args& args) {
    const char* name = memberName(dispid);
    if (name == nullptr) {
        writeTrace(instance_, "Unknown", {dispidText(dispid)});
        return noMember("scriptmovie", dispid);
    }
    writeTrace(instance_, name, traceFields(args));
    switch (dispid) {
        case kPlay:
            return play(kind, args);
        case kBackgroundColor:
            return putBackgroundColor(kind, args);
        case kLoadMovie:
            return loadMovie(kind, args);
        default:
            return callFunction(kind, args);
    }
}

InvokeResult ScriptControl::putBackgroundColor(InvokeKind kind, const Args& args) {
    if (!hasKind(kind, InvokeKind::PropertyPut) || !argsAre<std::int32_t>(args)) {
        return misuse("scriptmovie", "BackgroundColor", "is a property put of one integer colour");
    }
    return InvokeResult::success();  // a scripted movie has nothing to paint
}

InvokeResult ScriptControl::play(InvokeKind kind, const Args& args) {
    if (!hasKind(kind, InvokeKind::Method) || !args.empty()) {
        return misuse("scriptmovie", "Play", "is a method without arguments");
    }
    playing_ = true;
    startTimeline();
    return InvokeResult::success();
}

InvokeResult ScriptControl::loadMovie(InvokeKind kind, const Args& args) {
    if (!hasKind(kind, InvokeKind::Method) || !argsAre<std::int32_t, std::string>(args)) {
        return misuse("scriptmovie", "LoadMovie",
                      "is a method of an integer layer and a string URL");
    }
    ++generation_;
    timelineStarted_ = false;
    movie_ = openMovie(std::get<std::string>(args[1]));
    startTimeline();
    return InvokeResult::success();
}

InvokeResult ScriptControl::callFunction(InvokeKind kind, const Args& args) {
    if (!hasKind(kind, InvokeKind::Method) || !argsAre<std::string>(args)) {
        return misuse("scriptmovie", "CallFunction", "is a method of one string request");
    }
    std::string error;
    auto request = parseInvokeRequest(std::get<std::string>(args[0]), &error);
    if (!request) return InvokeResult::failure("scriptmovie: CallFunction: " + error);
    std::shared_ptr<const Script> movie = movie_;
    auto found = movie->handlers.find(request->name);
    if (found == movie->handlers.end()) return InvokeResult::success(std::string());
    const CallHandler& handler = found->second;
    for (const auto& event : handler.events) raise(event);
    if (handler.failure) return InvokeResult::failure(*handler.failure);
    return InvokeResult::success(handler.reply.value_or(std::string()));
}

void ScriptControl::startTimeline() {
    if (!playing_ || timelineStarted_) return;
    timelineStarted_ = true;
    std::weak_ptr<int> alive = alive_;
    for (const auto& [delay, events] : movie_->timeline) {
        site_->postDelayed(delay, [this, alive, generation = generation_, events] {
            if (!alive.expired()) raiseTimed(generation, events);
        });
    }
}

void ScriptControl::raiseTimed(std::uint64_t generation, const std::vector<FsCommand>& events) {
    // A handler may load another movie; the rest of this movie's moment is then gone.
    for (const auto& event : events) {
        if (generation != generation_) return;
        raise(event);
    }
}

void ScriptControl::raise(const FsCommand& event) {
    std::vector<std::string> fields{escapeTraceText(event.command)};
    if (!event.args.empty()) fields.push_back(escapeTraceText(event.args));
    writeTrace(instance_, "FSCommand", fields);
    site_->fireEvent(kFsCommandEvent, {Variant(event.command), Variant(event.args)});
}

}  // namespace controls::scriptmovie
