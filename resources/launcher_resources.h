// The launcher's resources.
#pragma once

#include "platform/resource_table.h"

namespace resources {

constexpr unsigned IDD_SPLASH = 102;
// "Windows 通信端口初始化失败。": the sockets could not be initialised.
constexpr unsigned IDS_SOCKETS_INIT_FAILED = 103;

const platform::ResourceTable& launcherResources();

}  // namespace resources
