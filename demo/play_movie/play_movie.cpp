// vexo-demo-play-movie <file>: writes the demo's play movie, an SWF that the player shows in
// play and preview mode. It stands in for a video: the colour of the tile the main movie's
// setarg named (its query arrives as the variables vid and iswin), stripes that move
// while it plays, and a bar of buttons that raise the play movie's commands.
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

void screen(Avm1& code) {
    set(code, "_root", "palette", [](Avm1& out) {
        for (auto colour = std::rbegin(kTileColours); colour != std::rend(kTileColours); ++colour)
            out.pushInt(*colour);
        out.pushInt(static_cast<std::int32_t>(std::size(kTileColours))).initArray();
    });
    newClip(code, "_root", "screen", 1, 0, 0);
    const Value colour = [](Avm1& out) {
        path("_root.palette")(out);
        videoNumber()(out);
        out.getMember();
    };
    fillRect(code, "_root.screen", 0, 0, kWidth, kHeight, colour, 100);
}

// Translucent stripes that cross the screen at their own speeds, times _root.speed (0 while
// paused or stopped).
void stripes(Avm1& code) {
    set(code, "_root", "speed", number(1));
    Avm1 move;
    set(move, "this", "_x", [](Avm1& out) {
        sum({path("this._x"), [](Avm1& in) {
                 path("this.v")(in);
                 path("_root.speed")(in);
                 in.multiply();
             }})(out);
        out.pushInt(kWidth).modulo();
    });
    const struct { int width, speed, x; } kStripes[] = {{180, 3, 80}, {70, 7, 420}, {24, 12, 700}};
    int depth = 2;
    for (const auto& stripe : kStripes) {
        const std::string name = "stripe" + std::to_string(depth);
        newClip(code, "_root", name, depth++, stripe.x, 120);
        fillRect(code, "_root." + name, 0, 0, stripe.width, kHeight - 240, number(0xFFFFFF), 22);
        set(code, "_root." + name, "v", number(stripe.speed));
        handler(code, "_root." + name, "onEnterFrame", {}, move);
    }
}

// "Video 3 (preview)": the number and the mode. The title is left out: the device font that
// Ruffle has for text fields has no Chinese characters.
void caption(Avm1& code) {
    newClip(code, "_root", "top", 10, 0, 0);
    fillRect(code, "_root.top", 0, 0, kWidth, 40, number(0), 45);
    newTextField(code, "_root.top", "caption", 1, 16, 8, kWidth - 32, 26, 17, "left");
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

// Pauses or resumes the stripes and says so.
Avm1 playState(int speed, const std::string& state) {
    Avm1 body;
    set(body, "_root", "speed", number(speed));
    set(body, "_root.bottom.state", "text", text(state));
    return body;
}

void callbacks(Avm1& code) {
    addCallback(code, "doPause", {}, playState(0, "Paused"));
    addCallback(code, "doResume", {}, playState(1, "Playing"));
    addCallback(code, "videoStop", {}, playState(0, "Stopped"));
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
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file>\n", argv[0]);
        return 2;
    }
    Avm1 code;
    screen(code);
    stripes(code);
    caption(code);
    buttons(code);
    callbacks(code);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << swf::writeSwf(0x000000, code, kWidth, kHeight);
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
