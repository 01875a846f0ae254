#include "tests/controls/webmovie/swf_writer.h"

namespace webmovie_test {
namespace {

// ExternalInterface.addCallback(name, null, function (a) { fscommand(command, a);
// return prefix + a; })
void addEchoCallback(Avm1& code, const std::string& name, const std::string& command,
                     const std::string& prefix) {
    Avm1 body;
    body.pushString("FSCommand:" + command).pushString("a").getVariable().getUrl2();
    body.pushString(prefix).pushString("a").getVariable().add2().ret();
    code.defineFunction({"a"}, body).pushNull().pushString(name).pushInt(3);
    code.pushExternalInterface().pushString("addCallback").callMethod().pop();
}

}  // namespace

std::string echoSwf(std::uint32_t stage) {
    Avm1 code;
    addEchoCallback(code, "echo", "got", "r:");
    addEchoCallback(code, "twice", "again", "t:");
    code.getUrl("FSCommand:ready", "你好 & <swf>");
    return writeSwf(stage, code);
}

}  // namespace webmovie_test
