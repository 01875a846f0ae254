// Resource and command identifiers of the player.
#pragma once

namespace resources {

constexpr unsigned IDD_MAIN = 102;
constexpr unsigned IDD_PREVIEW = 135;
constexpr unsigned IDD_LOADING = 139;
constexpr unsigned IDD_BACKDROP = 140;

constexpr unsigned IDR_MAIN_MENU = 130;
constexpr unsigned IDR_PLAY_MENU = 143;
constexpr unsigned IDR_PREVIEW_MENU = 144;
constexpr unsigned IDR_TRAY_MENU = 146;
constexpr unsigned IDI_MAIN = 128;

// Window commands (WM_COMMAND).
constexpr unsigned ID_CLOSE = 32789;
constexpr unsigned ID_PREVIEW_CLOSE = 32790;
constexpr unsigned ID_TOGGLE_MAXIMIZED = 32773;
constexpr unsigned ID_TOGGLE_TOPMOST = 32777;
constexpr unsigned ID_FLASH_BACK = 32780;
constexpr unsigned ID_LIGHTS = 32781;
constexpr unsigned ID_PLAY_SAMPLE = 32786;
constexpr unsigned ID_BACK_TO_MAIN = 32788;
constexpr unsigned ID_PREVIEW_SAMPLE = 32792;

}  // namespace resources
