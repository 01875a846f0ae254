#include "controls/scriptmovie/script.h"

#include <charconv>

namespace controls::scriptmovie {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Cuts the first blank-separated word off `rest`, with the blanks that follow it.
std::string_view takeWord(std::string_view& rest) {
    std::size_t end = 0;
    while (end < rest.size() && !isBlank(rest[end])) ++end;
    std::string_view word = rest.substr(0, end);
    rest = trim(rest.substr(end));
    return word;
}

std::optional<std::uint32_t> parseDelay(std::string_view word) {
    std::uint32_t ms = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), ms);
    if (word.empty() || ec != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return ms;
}

// "fscommand <command> [<args>]" with the keyword already taken; `rest` is the remainder.
std::string parseFsCommand(std::string_view rest, FsCommand& out) {
    out.command = std::string(takeWord(rest));
    if (out.command.empty()) return "fscommand without a command name";
    out.args = std::string(rest);
    return {};
}

std::string parseAfter(std::string_view rest, Script& script) {
    std::string_view delayWord = takeWord(rest);
    auto delay = parseDelay(delayWord);
    if (!delay) return "after: '" + std::string(delayWord) + "' is not a number of milliseconds";
    if (takeWord(rest) != "fscommand")
        return "after " + std::string(delayWord) + ": expected fscommand";
    FsCommand event;
    if (auto error = parseFsCommand(rest, event); !error.empty()) return error;
    script.timeline[*delay].push_back(std::move(event));
    return {};
}

std::string parseReply(std::string_view text, CallHandler& handler) {
    if (handler.reply) return "second reply";
    if (handler.failure) return "reply and fail for one name";
    handler.reply = std::string(text);
    return {};
}

std::string parseFail(std::string_view text, CallHandler& handler) {
    if (text.empty()) return "fail without a description";
    if (handler.failure) return "second fail";
    if (handler.reply) return "reply and fail for one name";
    handler.failure = std::string(text);
    return {};
}

std::string parseOn(std::string_view rest, Script& script) {
    std::string name(takeWord(rest));
    if (name.empty()) return "on without a name";
    std::string_view action = takeWord(rest);
    CallHandler& handler = script.handlers[name];
    std::string error;
    if (action == "fscommand") {
        FsCommand event;
        error = parseFsCommand(rest, event);
        if (error.empty()) handler.events.push_back(std::move(event));
    } else if (action == "reply") {
        error = parseReply(rest, handler);
    } else if (action == "fail") {
        error = parseFail(rest, handler);
    } else {
        error = "expected fscommand, reply or fail, not '" + std::string(action) + "'";
    }
    return error.empty() ? error : "on " + name + ": " + error;
}

std::string parseLine(std::string_view line, Script& script) {
    line = trim(line);
    if (line.empty() || line.front() == '#') return {};
    std::string_view keyword = takeWord(line);
    if (keyword == "after") return parseAfter(line, script);
    if (keyword == "on") return parseOn(line, script);
    return "unknown keyword '" + std::string(keyword) + "' (after or on)";
}

}  // namespace

std::optional<Script> parseScript(std::string_view text, std::string* error) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
    Script script;
    for (int number = 1; !text.empty(); ++number) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (auto fault = parseLine(line, script); !fault.empty()) {
            if (error) *error = "line " + std::to_string(number) + ": " + fault;
            return std::nullopt;
        }
    }
    return script;
}

}  // namespace controls::scriptmovie
