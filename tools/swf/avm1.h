// Assembles AVM1 action bytes, the script of an SWF movie's frame (DoAction tag), one action at
// a time. Each call appends one action; the caller keeps the stack balanced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace swf {

class Avm1 {
  public:
    // Strings are UTF-8, as in SWF 6 and later.
    Avm1& pushString(const std::string& value);
    Avm1& pushNull();
    Avm1& pushBool(bool value);
    Avm1& pushInt(std::int32_t value);
    Avm1& getVariable() { return op(0x1C); }
    Avm1& setVariable() { return op(0x1D); }
    Avm1& getMember() { return op(0x4E); }
    Avm1& setMember() { return op(0x4F); }
    Avm1& callFunction() { return op(0x3D); }
    Avm1& callMethod() { return op(0x52); }
    Avm1& newObject() { return op(0x40); }
    Avm1& initArray() { return op(0x42); }
    Avm1& pop() { return op(0x17); }
    Avm1& add2() { return op(0x47); }
    Avm1& multiply() { return op(0x0C); }
    Avm1& modulo() { return op(0x3F); }
    Avm1& bitOr() { return op(0x61); }
    Avm1& equals2() { return op(0x49); }
    Avm1& logicalNot() { return op(0x12); }
    Avm1& ret() { return op(0x3E); }
    // getURL(url, target) with both known when the movie is written.
    Avm1& getUrl(const std::string& url, const std::string& target);
    // getURL with the target (then the url) taken from the stack.
    Avm1& getUrl2();
    // Pops a value and, when it is true, jumps over `body` (at most 32767 bytes); else runs it.
    Avm1& skipIfTrue(const Avm1& body);
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

}  // namespace swf
