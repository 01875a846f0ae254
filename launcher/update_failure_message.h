// What the user is told about an update run that failed.
#pragma once

#include <optional>
#include <string>

#include "update/run_result.h"

namespace launcher {

// The text of the OK box shown as soon as the run ends, or none. Only an update folder that
// cannot be made is told: the user can do something about it, while the other failures are in
// the log and the next start tries again.
std::optional<std::string> updateFailureMessage(update::RunResult result);

}  // namespace launcher
