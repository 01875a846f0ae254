// Resource identifiers shared by the launcher's and the player's console dialog.
#pragma once

namespace resources {

constexpr unsigned IDD_CONSOLE = 134;
constexpr unsigned IDC_CONSOLE_LIST = 1001;
constexpr unsigned IDD_LOADING = 139;

}  // namespace resources
