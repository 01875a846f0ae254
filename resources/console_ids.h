// Resource identifiers shared by the launcher's and the player's console dialog.
#pragma once

namespace resources {

constexpr unsigned IDD_CONSOLE = 134;
constexpr unsigned IDC_CONSOLE_LIST = 1001;

}  // namespace resources
