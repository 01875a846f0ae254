// vexo-demo-play-movie <file> <video>: writes the demo's play movie, an SWF that the player
// shows in play and preview mode. It streams <video>, a URL relative to the movie, over and over
// above a bar of buttons that raise the play movie's commands; the bar takes the colour of the
// tile the main movie's setarg named (its query arrives as the variables vid and iswin).
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "demo/play_movie/movie_script.h"
#include "tools/swf/swf_file.h"

using namespace demo_movie;

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 594;
constexpr int kBarHeight = 56;

// The start colours of the main movie's eight tiles; a video without a number gets the first.
constexpr std::int32_t kTileColours[] = {0x3a7bd5, 0x3a7bd5, 0x8e2de2, 0xf12711, 0x43cea2,
                                         0x56ab2f, 0xb24592, 0x11998e, 0x243b55};

// The video's number as an integer from 0 to 8: (vid | 0) % 9.
Value videoNumber() {
    return [](Avm1& code) {
        path("_root.vid")(code);
        code.pushInt(0).bitOr().pushInt(9).modulo();
    };
}

// The tile's colour under the bar, so that each video's bar has its own.
void backdrop(Avm1& code) {
    set(code, "_root", "palette", [](Avm1& out) {
        for (auto colour = std::rbegin(kTileColours); colour != std::rend(kTileColours); ++colour)
            out.pushInt(*colour);
        out.pushInt(static_cast<std::int32_t>(std::size(kTileColours))).initArray();
    });
    newClip(code, "_root", "backdrop", 1, 0, kHeight - kBarHeight);
    const Value colour = [](Avm1& out) {
        path("_root.palette")(out);
        videoNumber()(out);
        out.getMember();
    };
    fillRect(code, "_root.backdrop", 0, 0, kWidth, kBarHeight, colour, 100);
}

// Streams `file` (relative to the movie) into the video object above the bar, from the start
// again whenever it ends.
void video(Avm1& code, const std::string& file) {
    set(code, "_root", "nc", construct("NetConnection", {}));
    call(code, "_root.nc", "connect", {nullValue()});
    set(code, "_root", "ns", construct("NetStream", {path("_root.nc")}));
    // Played again rather than sought to 0: Ruffle's seek after the end shows no more frames.
    Avm1 again;
    call(again, "_root.ns", "play", {text(file)});
    Avm1 onStatus;
    path("info.code")(onStatus);
    onStatus.pushString("NetStream.Play.Stop").equals2().logicalNot().skipIfTrue(again);
    handler(code, "_root.ns", "onStatus", {"info"}, onStatus);
    // The object is as large as the stage; the video is as wide and stops at the bar.
    set(code, "_root.video", "_height", number(kHeight - kBarHeight));
    call(code, "_root.video", "attachVideo", {path("_root.ns")});
    call(code, "_root.ns", "play", {text(file)});
}

// "Video 3 (preview)": the number and the mode. The title is left out: the device font that
// Ruffle has for text fields has no Chinese characters.
void caption(Avm1& code) {
    newClip(code, "_root", "top", 10, 0, 0);
    fillRect(code, "_root.top", 0, 0, kWidth, 40, number(0), 45);
    newTextField(code, "_root.top", "caption", 1, 16, 8, kWidth - 32, 26, 17, "right");
    set(code, "", "line", sum({text("Video "), videoNumber()}));
    Avm1 inPreview;
    set(inPreview, "", "line", sum({path("line"), text(" (preview)")}));
    path("_root.iswin")(code);
    code.logicalNot().skipIfTrue(inPreview);
    set(code, "_root.top.caption", "text", path("line"));
}

struct Button {
    const char* label;
    const char* command;
    Value args;
};

void buttons(Avm1& code) {
    newClip(code, "_root", "bottom", 11, 0, kHeight - kBarHeight);
    fillRect(code, "_root.bottom", 0, 0, kWidth, kBarHeight, number(0), 45);
    newTextField(code, "_root.bottom", "state", 1, 16, 16, 260, 26, 15, "left");
    set(code, "_root.bottom.state", "text", text("Playing"));
    // The next video: setarg with vid = vid % 8 + 1.
    const Value next = sum({text("vid="), [](Avm1& out) {
                                videoNumber()(out);
                                out.pushInt(8).modulo().pushInt(1).add2();
                            }});
    const std::vector<Button> kButtons = {
        {"Preview", "Window", text("")},
        {"Restore", "Resume", text("")},
        {"Maximise", "Full", text("")},
        {"Next", "setarg", next},
        {"Say hello", "SendMessage", text("Hello from the SWF play movie")},
        {"Back", "Close", text("")},
    };
    const int width = 96, gap = 8, height = 36;
    int x = kWidth - 16 - static_cast<int>(kButtons.size()) * (width + gap) + gap;
    int depth = 10;
    for (const Button& button : kButtons) {
        const std::string name = "button" + std::to_string(depth);
        const std::string clip = "_root.bottom." + name;
        newClip(code, "_root.bottom", name, depth++, x, (kBarHeight - height) / 2);
        fillRect(code, clip, 0, 0, width, height, number(0xFFFFFF), 22);
        newTextField(code, clip, "label", 1, 0, 8, width, 22, 14, "center");
        set(code, clip + ".label", "text", text(button.label));
        Avm1 press;
        fscommand(press, button.command, button.args);
        handler(code, clip, "onRelease", {}, press);
        x += width + gap;
    }
}

// Pauses or resumes the video and says so. A stopped video is paused where it is.
Avm1 playState(bool paused, const std::string& state) {
    Avm1 body;
    call(body, "_root.ns", "pause", {boolean(paused)});
    set(body, "_root.bottom.state", "text", text(state));
    return body;
}

void callbacks(Avm1& code) {
    addCallback(code, "doPause", {}, playState(true, "Paused"));
    addCallback(code, "doResume", {}, playState(false, "Playing"));
    addCallback(code, "videoStop", {}, playState(true, "Stopped"));
    Avm1 message;
    set(message, "_root.bottom.state", "text", sum({text("Message: "), path("text")}));
    addCallback(code, "ReceiveMessage", {"text"}, message);
    Avm1 key;
    key.pushBool(true).ret();
    addCallback(code, "sendKeyCode", {"code"}, key);
    Avm1 full;
    fscommand(full, "Full", text(""));
    addCallback(code, "doubleClick", {}, full);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <file> <video>\n", argv[0]);
        return 2;
    }
    Avm1 code;
    backdrop(code);
    video(code, argv[2]);
    caption(code);
    buttons(code);
    callbacks(code);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << swf::writeSwfWithVideo(0x000000, code, "video", kWidth, kHeight);
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
