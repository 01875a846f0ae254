// The player's resources.
#pragma once

#include "platform/dialog_template.h"
#include "resources/console_ids.h"

namespace resources {

const platform::ResourceTable& playerResources();

}  // namespace resources
