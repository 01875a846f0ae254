#include "platform/headless/headless_script.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/win32.h"

namespace platform {

namespace {

constexpr std::array<std::pair<const char*, int>, 7> kResults{{{"IDOK", IDOK},
                                                               {"IDCANCEL", IDCANCEL},
                                                               {"IDABORT", IDABORT},
                                                               {"IDRETRY", IDRETRY},
                                                               {"IDIGNORE", IDIGNORE},
                                                               {"IDYES", IDYES},
                                                               {"IDNO", IDNO}}};

}  // namespace

std::optional<int> dialogResultFromName(std::string_view name) {
    for (const auto& [text, value] : kResults)
        if (name == text) return value;
    return std::nullopt;
}

const char* dialogResultName(int result) {
    for (const auto& [text, value] : kResults)
        if (value == result) return text;
    return "?";
}

HeadlessScript HeadlessScript::load(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "vexo: cannot read the headless script %s\n", path.c_str());
        return {};
    }
    std::stringstream text;
    text << in.rdbuf();
    return parse(text.str(), path);
}

HeadlessScript HeadlessScript::parse(std::string_view text, const std::string& origin) {
    HeadlessScript script;
    std::istringstream lines{std::string(text)};
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string verb, argument, extra;
        if (!(words >> verb)) continue;
        words >> argument;
        const auto answer = dialogResultFromName(argument);
        if (verb == "msgbox" && answer && !(words >> extra)) {
            script.messageBoxAnswers_.push_back(*answer);
            continue;
        }
        std::fprintf(stderr, "vexo: %s:%d: not a script step: %s\n", origin.c_str(), number,
                     line.c_str());
    }
    return script;
}

std::optional<int> HeadlessScript::takeMessageBoxAnswer() {
    if (messageBoxAnswers_.empty()) return std::nullopt;
    const int answer = messageBoxAnswers_.front();
    messageBoxAnswers_.pop_front();
    return answer;
}

}  // namespace platform
