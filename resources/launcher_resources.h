// The launcher's resources.
#pragma once

#include "platform/dialog_template.h"
#include "resources/console_ids.h"

namespace resources {

const platform::ResourceTable& launcherResources();

}  // namespace resources
