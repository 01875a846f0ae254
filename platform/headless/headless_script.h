// Scripted user input for the headless backend, read from the file VEXO_HEADLESS_SCRIPT names.
// One step per line; `#` starts a comment. Answers (message boxes, menus) are taken when asked
// for, in file order; input steps run one after another on the UI thread, each after its
// delay. See docs/headless.md.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/os/win32.h"

namespace platform {

enum class InputKind {
    MouseMove,
    MouseDown,
    MouseUp,
    MouseDoubleClick,
    RightDown,
    RightUp,
    Key,
    HotKey,
    Tray,
    Close
};

struct InputStep {
    std::uint32_t delayMs = 0;  // after the step before it
    InputKind kind = InputKind::MouseMove;
    LONG a = 0;  // x, virtual key, modifiers or tray message
    LONG b = 0;  // y or hot-key virtual key
};

class HeadlessScript {
  public:
    HeadlessScript() = default;
    // Reads the file; a line that is not a step is reported on stderr with its number and
    // skipped. A missing file is reported and gives an empty script.
    static HeadlessScript load(const std::string& path);
    static HeadlessScript parse(std::string_view text, const std::string& origin);

    std::optional<int> takeMessageBoxAnswer();
    std::optional<UINT> takeMenuAnswer();
    bool hotKeyTaken(UINT modifiers, UINT key) const;
    const std::vector<InputStep>& input() const { return input_; }

  private:
    bool parseLine(std::string_view line);
    bool parseInput(std::uint32_t delay, const std::vector<std::string>& words);

    std::deque<int> messageBoxAnswers_;
    std::deque<UINT> menuAnswers_;
    std::vector<std::pair<UINT, UINT>> takenHotKeys_;
    std::vector<InputStep> input_;
};

// "IDOK" ... "IDNO" to their values; nullopt for anything else.
std::optional<int> dialogResultFromName(std::string_view name);
const char* dialogResultName(int result);

}  // namespace platform
