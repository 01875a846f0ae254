#include "launcher/update_failure_message.h"

namespace launcher {

std::optional<std::string> updateFailureMessage(update::RunResult result) {
    if (result == update::RunResult::noUpdateFolder) return "创建目录失败，请重新运行程序试试!";
    return std::nullopt;
}

}  // namespace launcher
