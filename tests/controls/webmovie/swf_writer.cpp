#include "tests/controls/webmovie/swf_writer.h"

namespace webmovie_test {
namespace {

void putU16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void putU32(std::string& out, std::uint32_t value) {
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

// A record header in the long form, which any tag may use.
std::string tag(std::uint16_t code, const std::string& body) {
    std::string out;
    putU16(out, static_cast<std::uint32_t>(code << 6) | 0x3F);
    putU32(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}

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

// The frame size RECT: 14-bit fields hold 0..8191 twips.
std::string frameRect(std::uint32_t widthTwips, std::uint32_t heightTwips) {
    const std::uint32_t bits = 14;
    std::uint64_t packed = bits;
    for (std::uint32_t field : {0u, widthTwips, 0u, heightTwips}) packed = (packed << bits) | field;
    const int total = 5 + 4 * bits;  // 61 bits, padded to 8 bytes
    packed <<= 64 - total;
    std::string out;
    for (int shift = 56; shift >= 0; shift -= 8) out += static_cast<char>((packed >> shift) & 0xFF);
    return out;
}

}  // namespace

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

Avm1& Avm1::pushInt(std::int32_t value) {
    std::string payload(1, '\7');
    putU32(payload, static_cast<std::uint32_t>(value));
    return op(0x96, payload);
}

Avm1& Avm1::getUrl(const std::string& url, const std::string& target) {
    return op(0x83, url + '\0' + target + '\0');
}

Avm1& Avm1::getUrl2() { return op(0x9A, std::string(1, '\0')); }

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

std::string writeSwf(std::uint32_t background, const Avm1& actions, std::uint32_t width,
                     std::uint32_t height) {
    std::string body = frameRect(width * 20, height * 20);
    putU16(body, 24 << 8);  // 24 frames a second, 8.8 fixed point
    putU16(body, 1);        // one frame
    std::string attributes;
    putU32(attributes, 0);  // AVM1, no network access flag
    body += tag(69, attributes);
    body +=
        tag(9, {static_cast<char>(background >> 16), static_cast<char>((background >> 8) & 0xFF),
                static_cast<char>(background & 0xFF)});
    body += tag(12, actions.bytes() + '\0');
    body += tag(1, "");  // ShowFrame
    body += tag(0, "");  // End
    std::string swf = "FWS";
    swf += static_cast<char>(10);
    putU32(swf, static_cast<std::uint32_t>(8 + body.size()));
    return swf + body;
}

std::string echoSwf(std::uint32_t stage) {
    Avm1 code;
    addEchoCallback(code, "echo", "got", "r:");
    addEchoCallback(code, "twice", "again", "t:");
    code.getUrl("FSCommand:ready", "你好 & <swf>");
    return writeSwf(stage, code);
}

}  // namespace webmovie_test
