// The identifiers by which the console finds itself in a program's resources: a program that
// opens the console has a dialog template of IDD_CONSOLE holding a list box of IDC_CONSOLE_LIST.
#pragma once

namespace console {

constexpr unsigned IDD_CONSOLE = 134;
constexpr unsigned IDC_CONSOLE_LIST = 1001;

}  // namespace console
