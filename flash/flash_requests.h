// The request texts of every native-to-movie call, exact to the character (including the blank
// before '>' where it stands). Inserted values are not escaped: movies get them as they are.
#pragma once

#include <string>

namespace flash_requests {

std::string videoStop();
std::string setWindow(bool value);
std::string sendKeyCode(int keyCode);
std::string sendKeyCodeLogin(int keyCode);
std::string doPause();
std::string doResume();
std::string click();
std::string doubleClick();
std::string receiveMessage(const std::string& message);
// A call with one string argument to the function `name`.
std::string withString(const std::string& name, const std::string& value);
std::string setVolume(const std::string& value);
std::string failMess(const std::string& message);

}  // namespace flash_requests
