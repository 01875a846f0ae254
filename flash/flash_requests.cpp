#include "flash/flash_requests.h"

namespace flash_requests {

namespace {

// `text` with the characters that would end or open markup written as entities; in an
// attribute the closing quote too.
std::string escaped(const std::string& text, bool inAttribute) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '"' && inAttribute)
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

std::string noArguments(const char* name) {
    return std::string("<invoke name=\"") + name + "\" ><arguments></arguments></invoke>";
}

std::string booleanKeyCall(const char* name, int keyCode) {
    return std::string("<invoke name=\"") + name + "\" returntype=\"boolean\"><arguments><string>" +
           std::to_string(keyCode) + "</string></arguments></invoke>";
}

}  // namespace

std::string withString(const std::string& name, const std::string& value) {
    return "<invoke name=\"" + escaped(name, true) + "\" ><arguments><string>" +
           escaped(value, false) + "</string></arguments></invoke>";
}

std::string videoStop() { return noArguments("videoStop"); }
std::string setWindow(bool value) { return withString("SetWindow", value ? "true" : "false"); }
std::string sendKeyCode(int keyCode) { return booleanKeyCall("sendKeyCode", keyCode); }
std::string sendKeyCodeLogin(int keyCode) { return booleanKeyCall("sendKeyCodeLogin", keyCode); }
std::string doPause() { return noArguments("doPause"); }
std::string doResume() { return noArguments("doResume"); }
std::string click() { return noArguments("click"); }
std::string doubleClick() { return noArguments("doubleClick"); }
std::string receiveMessage(const std::string& message) {
    return withString("ReceiveMessage", message);
}
std::string setVolume(const std::string& value) { return withString("setvolume", value); }
std::string failMess(const std::string& message) { return withString("failMess", message); }

}  // namespace flash_requests
