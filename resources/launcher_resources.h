// The launcher's resources.
#pragma once

#include "platform/resource_table.h"
#include "resources/console_ids.h"

namespace resources {

const platform::ResourceTable& launcherResources();

}  // namespace resources
