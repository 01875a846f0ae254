#include "platform/headless/headless_script.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace platform {

namespace {

constexpr std::array<std::pair<const char*, int>, 7> kResults{{{"IDOK", IDOK},
                                                               {"IDCANCEL", IDCANCEL},
                                                               {"IDABORT", IDABORT},
                                                               {"IDRETRY", IDRETRY},
                                                               {"IDIGNORE", IDIGNORE},
                                                               {"IDYES", IDYES},
                                                               {"IDNO", IDNO}}};

constexpr std::array<std::pair<const char*, UINT>, 6> kMouseMessages{
    {{"WM_MOUSEMOVE", WM_MOUSEMOVE},
     {"WM_LBUTTONDOWN", WM_LBUTTONDOWN},
     {"WM_LBUTTONUP", WM_LBUTTONUP},
     {"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK},
     {"WM_RBUTTONDOWN", WM_RBUTTONDOWN},
     {"WM_RBUTTONUP", WM_RBUTTONUP}}};

constexpr std::array<std::pair<const char*, InputKind>, 6> kMouseActions{
    {{"move", InputKind::MouseMove},
     {"down", InputKind::MouseDown},
     {"up", InputKind::MouseUp},
     {"dblclick", InputKind::MouseDoubleClick},
     {"rdown", InputKind::RightDown},
     {"rup", InputKind::RightUp}}};

template <class T>
std::optional<T> number(const std::string& word) {
    T value{};
    const auto* end = word.data() + word.size();
    const auto [at, error] = std::from_chars(word.data(), end, value);
    if (error != std::errc() || at != end) return std::nullopt;
    return value;
}

std::optional<LONG> trayMessage(const std::string& word) {
    for (const auto& [name, value] : kMouseMessages)
        if (word == name) return static_cast<LONG>(value);
    return number<LONG>(word);
}

std::vector<std::string> words(std::string_view line) {
    std::istringstream in{std::string(line.substr(0, line.find('#')))};
    std::vector<std::string> result;
    for (std::string word; in >> word;) result.push_back(word);
    return result;
}

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
        if (script.parseLine(line)) continue;
        std::fprintf(stderr, "vexo: %s:%d: not a script step: %s\n", origin.c_str(), number,
                     line.c_str());
    }
    return script;
}

bool HeadlessScript::parseLine(std::string_view line) {
    auto w = words(line);
    if (w.empty()) return true;
    if (w[0] == "msgbox" && w.size() == 2) {
        const auto answer = dialogResultFromName(w[1]);
        if (answer) messageBoxAnswers_.push_back(*answer);
        return answer.has_value();
    }
    if (w[0] == "menu" && w.size() == 2) {
        const auto id = number<UINT>(w[1]);
        if (id) menuAnswers_.push_back(*id);
        return id.has_value();
    }
    if (w[0] == "hotkey-taken" && w.size() == 3) {
        const auto modifiers = number<UINT>(w[1]), key = number<UINT>(w[2]);
        if (modifiers && key) takenHotKeys_.emplace_back(*modifiers, *key);
        return modifiers && key;
    }
    std::uint32_t delay = 0;
    if (w[0] == "after" && w.size() > 2) {
        const auto ms = number<std::uint32_t>(w[1]);
        if (!ms) return false;
        delay = *ms;
        w.erase(w.begin(), w.begin() + 2);
    }
    return parseInput(delay, w);
}

bool HeadlessScript::parseInput(std::uint32_t delay, const std::vector<std::string>& w) {
    InputStep step{delay};
    if (w[0] == "close" && w.size() == 3) {
        const auto x = number<LONG>(w[1]), y = number<LONG>(w[2]);
        if (x && y) input_.push_back(InputStep{delay, InputKind::Close, *x, *y});
        return x && y;
    }
    if (w[0] == "mouse" && w.size() == 4) {
        const auto x = number<LONG>(w[2]), y = number<LONG>(w[3]);
        for (const auto& [name, kind] : kMouseActions) {
            if (w[1] != name || !x || !y) continue;
            input_.push_back(InputStep{delay, kind, *x, *y});
            return true;
        }
        return false;
    }
    std::optional<LONG> a, b = 0;
    if (w[0] == "key" && w.size() == 2) step.kind = InputKind::Key, a = number<LONG>(w[1]);
    if (w[0] == "tray" && w.size() == 2) step.kind = InputKind::Tray, a = trayMessage(w[1]);
    if (w[0] == "hotkey" && w.size() == 3)
        step.kind = InputKind::HotKey, a = number<LONG>(w[1]), b = number<LONG>(w[2]);
    if (!a || !b) return false;
    step.a = *a;
    step.b = *b;
    input_.push_back(step);
    return true;
}

std::optional<int> HeadlessScript::takeMessageBoxAnswer() {
    if (messageBoxAnswers_.empty()) return std::nullopt;
    const int answer = messageBoxAnswers_.front();
    messageBoxAnswers_.pop_front();
    return answer;
}

std::optional<UINT> HeadlessScript::takeMenuAnswer() {
    if (menuAnswers_.empty()) return std::nullopt;
    const UINT answer = menuAnswers_.front();
    menuAnswers_.pop_front();
    return answer;
}

bool HeadlessScript::hotKeyTaken(UINT modifiers, UINT key) const {
    for (const auto& [m, k] : takenHotKeys_)
        if (m == modifiers && k == key) return true;
    return false;
}

}  // namespace platform
