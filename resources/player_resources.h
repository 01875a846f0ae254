// The player's resources.
#pragma once

#include "platform/resource_table.h"
#include "resources/player_ids.h"

namespace resources {

const platform::ResourceTable& playerResources();

}  // namespace resources
