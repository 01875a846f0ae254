#include "tools/swf/swf_file.h"

#include <algorithm>
#include <bit>

#include "tools/swf/little_endian.h"

namespace swf {
namespace {

// A record header in the long form, which any tag may use.
std::string tag(std::uint16_t code, const std::string& body) {
    std::string out;
    putU16(out, static_cast<std::uint32_t>(code << 6) | 0x3F);
    putU32(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}

// The frame size RECT: four signed fields of one bit count, after a 5-bit count.
std::string frameRect(std::uint32_t widthTwips, std::uint32_t heightTwips) {
    const std::uint32_t bits =
        static_cast<std::uint32_t>(std::bit_width(std::max(widthTwips, heightTwips))) + 1;
    std::string out;
    std::uint32_t pending = 0;
    int pendingBits = 0;
    auto put = [&](std::uint32_t value, std::uint32_t count) {
        for (std::uint32_t i = count; i-- > 0;) {
            pending = (pending << 1) | ((value >> i) & 1);
            if (++pendingBits == 8) {
                out += static_cast<char>(pending);
                pending = 0;
                pendingBits = 0;
            }
        }
    };
    put(bits, 5);
    for (std::uint32_t field : {0u, widthTwips, 0u, heightTwips}) put(field, bits);
    if (pendingBits > 0) out += static_cast<char>(pending << (8 - pendingBits));
    return out;
}

// DefineVideoStream of character 1 and PlaceObject2 of it at depth 1, named.
std::string videoObject(const std::string& name, std::uint32_t width, std::uint32_t height) {
    std::string define;
    putU16(define, 1);  // character ID
    putU16(define, 0);  // no embedded frames: a NetStream feeds it
    putU16(define, width);
    putU16(define, height);
    define += '\0';                // no deblocking, no smoothing
    define += '\x02';              // Sorenson H.263, for embedded frames only
    std::string place(1, '\x22');  // has a name, has a character
    putU16(place, 1);              // depth
    putU16(place, 1);              // character ID
    place += name + '\0';
    return tag(60, define) + tag(26, place);
}

std::string movie(std::uint32_t background, const std::string& objects, const Avm1& actions,
                  std::uint32_t width, std::uint32_t height) {
    std::string body = frameRect(width * 20, height * 20);
    putU16(body, 24 << 8);  // 24 frames a second, 8.8 fixed point
    putU16(body, 1);        // one frame
    std::string attributes;
    putU32(attributes, 0);  // AVM1, no network access flag
    body += tag(69, attributes);
    body +=
        tag(9, {static_cast<char>(background >> 16), static_cast<char>((background >> 8) & 0xFF),
                static_cast<char>(background & 0xFF)});
    body += objects;
    body += tag(12, actions.bytes() + '\0');
    body += tag(1, "");  // ShowFrame
    body += tag(0, "");  // End
    std::string swf = "FWS";
    swf += static_cast<char>(10);
    putU32(swf, static_cast<std::uint32_t>(8 + body.size()));
    return swf + body;
}

}  // namespace

std::string writeSwf(std::uint32_t background, const Avm1& actions, std::uint32_t width,
                     std::uint32_t height) {
    return movie(background, "", actions, width, height);
}

std::string writeSwfWithVideo(std::uint32_t background, const Avm1& actions,
                              const std::string& videoName, std::uint32_t width,
                              std::uint32_t height) {
    return movie(background, videoObject(videoName, width, height), actions, width, height);
}

}  // namespace swf
