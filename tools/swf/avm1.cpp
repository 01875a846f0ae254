#include "tools/swf/avm1.h"

#include "tools/swf/little_endian.h"

namespace swf {

Avm1& Avm1::op(std::uint8_t code) {
    bytes_ += static_cast<char>(code);
    return *this;
}

Avm1& Avm1::op(std::uint8_t code, const std::string& payload) {
    op(code);
    putU16(bytes_, static_cast<std::uint32_t>(payload.size()));
    bytes_ += payload;
    return *this;
}

Avm1& Avm1::pushString(const std::string& value) {
    return op(0x96, std::string(1, '\0') + value + '\0');
}

Avm1& Avm1::pushNull() { return op(0x96, std::string(1, '\2')); }

Avm1& Avm1::pushBool(bool value) { return op(0x96, {'\5', static_cast<char>(value ? 1 : 0)}); }

Avm1& Avm1::pushInt(std::int32_t value) {
    std::string payload(1, '\7');
    putU32(payload, static_cast<std::uint32_t>(value));
    return op(0x96, payload);
}

Avm1& Avm1::getUrl(const std::string& url, const std::string& target) {
    return op(0x83, url + '\0' + target + '\0');
}

Avm1& Avm1::getUrl2() { return op(0x9A, std::string(1, '\0')); }

Avm1& Avm1::skipIfTrue(const Avm1& body) {
    std::string offset;
    putU16(offset, static_cast<std::uint32_t>(body.bytes().size()));  // a signed 16-bit offset
    op(0x9D, offset);
    bytes_ += body.bytes();
    return *this;
}

Avm1& Avm1::defineFunction(const std::vector<std::string>& params, const Avm1& body) {
    std::string payload(1, '\0');  // no name: the function is pushed
    putU16(payload, static_cast<std::uint32_t>(params.size()));
    for (const auto& param : params) payload += param + '\0';
    putU16(payload, static_cast<std::uint32_t>(body.bytes().size()));
    op(0x9B, payload);
    bytes_ += body.bytes();  // the body follows the action, outside its length
    return *this;
}

Avm1& Avm1::pushExternalInterface() {
    pushString("flash").getVariable();
    pushString("external").getMember();
    return pushString("ExternalInterface").getMember();
}

}  // namespace swf
