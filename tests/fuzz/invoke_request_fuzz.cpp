// Fuzzes the CallFunction request parser that both movie controls use. Whatever it accepts
// stays within its bounds and reads back the same when written out again; any text a host
// inserts into a request reaches the movie exactly.
#include <cstdint>
#include <string>
#include <variant>

#include "controls/core/invoke_request.h"
#include "flash/flash_requests.h"

namespace {

void check(bool holds) {
    if (!holds) __builtin_trap();
}

// The depth of nested arrays and objects in `value`, counting its values into `count`.
int depthOf(const controls::ExternalValue& value, std::size_t& count) {
    ++count;
    int deepest = 0;
    if (const auto* items = std::get_if<controls::ExternalArray>(&value.v)) {
        for (const auto& item : *items) deepest = std::max(deepest, depthOf(item, count));
        return deepest + 1;
    }
    if (const auto* properties = std::get_if<controls::ExternalObject>(&value.v)) {
        for (const auto& property : *properties) {
            deepest = std::max(deepest, depthOf(property.value, count));
        }
        return deepest + 1;
    }
    return 0;
}

std::string written(const controls::InvokeRequest& request) {
    std::string arguments;
    for (const auto& value : request.arguments) arguments += controls::toReplyXml(value);
    return arguments;
}

void checkParsed(const controls::InvokeRequest& request) {
    check(!request.name.empty());
    std::size_t values = 0;
    for (const auto& value : request.arguments) {
        check(depthOf(value, values) <= controls::kMaxRequestNesting);
        controls::toJsLiteral(value);
    }
    check(values <= controls::kMaxRequestValues);
    // The arguments written as replies are, read again, the same arguments.
    const std::string arguments = written(request);
    auto again = controls::parseInvokeRequest(
        "<invoke name=\"f\"><arguments>" + arguments + "</arguments></invoke>", nullptr);
    check(again.has_value() && written(*again) == arguments);
}

// A host's request with `text` inserted carries exactly `text`.
void checkInserted(const std::string& text) {
    for (const std::string& request :
         {flash_requests::receiveMessage(text), flash_requests::withString("GetStatus", text)}) {
        auto parsed = controls::parseInvokeRequest(request, nullptr);
        check(parsed.has_value() && parsed->arguments.size() == 1);
        const auto* received = std::get_if<std::string>(&parsed->arguments[0].v);
        check(received != nullptr && *received == text);
    }
    if (text.empty()) return;
    auto named = controls::parseInvokeRequest(flash_requests::withString(text, "v"), nullptr);
    check(named.has_value() && named->name == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto request = controls::parseInvokeRequest(text, &error);
    check(request.has_value() == error.empty());
    if (request) checkParsed(*request);
    checkInserted(text);
    return 0;
}
