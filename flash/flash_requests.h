// The request texts of every native-to-movie call, exact to the character (including the blank
// before '>' where it stands). Inserted values are XML-escaped (`&`, `<` and `>`, and `"` in the
// name attribute), so that the movie receives exactly the text given, whatever it holds: a value
// cannot close its element or add structure to the request.
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
