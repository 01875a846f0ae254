// Writes small SWF movies for tests: an uncompressed file with a background colour and one
// frame of AVM1 actions, assembled from bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace webmovie_test {

// AVM1 actions, appended in order. Strings are UTF-8, as in SWF 6 and later.
class Avm1 {
  public:
    Avm1& pushString(const std::string& value);
    Avm1& pushNull();
    Avm1& pushInt(std::int32_t value);
    Avm1& getVariable() { return op(0x1C); }
    Avm1& getMember() { return op(0x4E); }
    Avm1& callMethod() { return op(0x52); }
    Avm1& pop() { return op(0x17); }
    Avm1& add2() { return op(0x47); }
    Avm1& ret() { return op(0x3E); }
    // getURL(url, target) with both known when the movie is written.
    Avm1& getUrl(const std::string& url, const std::string& target);
    // getURL with the target (then the url) taken from the stack.
    Avm1& getUrl2();
    // Pushes an anonymous function of `params` whose body is `body`.
    Avm1& defineFunction(const std::vector<std::string>& params, const Avm1& body);
    // Pushes flash.external.ExternalInterface.
    Avm1& pushExternalInterface();
    const std::string& bytes() const { return bytes_; }

  private:
    Avm1& op(std::uint8_t code);
    Avm1& op(std::uint8_t code, const std::string& payload);
    std::string bytes_;
};

// A one-frame SWF (version 10) of width x height pixels (at most 400 each) on `background`
// (0xRRGGBB) running `actions`.
std::string writeSwf(std::uint32_t background, const Avm1& actions, std::uint32_t width = 320,
                     std::uint32_t height = 240);

// The tests' SWF movie on a `stage` background. It registers two ExternalInterface callbacks,
// echo(a) (raises FSCommand got(a), returns "r:" + a) and twice(a) (raises again(a), returns
// "t:" + a), then raises ready("你好 & <swf>").
std::string echoSwf(std::uint32_t stage);

}  // namespace webmovie_test
