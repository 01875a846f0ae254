// Scripted user input for the headless backend, read from the file VEXO_HEADLESS_SCRIPT names.
// One step per line; `#` starts a comment. Steps of each kind are taken in file order.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class HeadlessScript {
  public:
    HeadlessScript() = default;
    // Reads the file; a line that is not a step is reported on stderr with its number and
    // skipped. A missing file is reported and gives an empty script.
    static HeadlessScript load(const std::string& path);
    static HeadlessScript parse(std::string_view text, const std::string& origin);

    // The next scripted message-box answer ("msgbox IDYES"), removed from the script.
    std::optional<int> takeMessageBoxAnswer();

  private:
    std::deque<int> messageBoxAnswers_;
};

// "IDOK" ... "IDNO" to their values; nullopt for anything else.
std::optional<int> dialogResultFromName(std::string_view name);
const char* dialogResultName(int result);

}  // namespace platform
