#include "tests/controls/webmovie/test_videos.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace webmovie_test {

std::string ffmpegVideo(const std::filesystem::path& dir, const std::string& name,
                        const std::vector<std::string>& args) {
    const std::string out = (dir / name).string();
    std::vector<const gchar*> argv{"ffmpeg", "-v", "error", "-y"};
    for (const auto& arg : args) argv.push_back(arg.c_str());
    argv.push_back(out.c_str());
    argv.push_back(nullptr);
    gint status = -1;
    if (!g_spawn_sync(nullptr, const_cast<gchar**>(argv.data()), nullptr, G_SPAWN_SEARCH_PATH,
                      nullptr, nullptr, nullptr, nullptr, &status, nullptr) ||
        !g_spawn_check_wait_status(status, nullptr)) {
        return {};
    }
    std::ifstream file(out, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string twoColourVideo(const std::filesystem::path& dir, const std::string& name,
                           const std::vector<std::string>& codecs) {
    char graph[256];
    std::snprintf(graph, sizeof graph,
                  "color=c=0x%06X:s=320x240:r=24:d=2[a];color=c=0x%06X:s=320x240:r=24:d=2[b];"
                  "[a][b]concat=n=2:v=1:a=0,format=yuv420p[v];sine=f=440:d=4[s]",
                  kFirstColour, kSecondColour);
    std::vector<std::string> args{"-filter_complex", graph, "-map", "[v]", "-map", "[s]"};
    args.insert(args.end(), codecs.begin(), codecs.end());
    return ffmpegVideo(dir, name, args);
}

namespace {

// Pushes the URL of fscommand `tag`, and with a `command` the start of its argument.
void report(swf::Avm1& code, const std::string& tag, const std::string& command) {
    if (command.empty()) {
        code.pushString("FSCommand:" + tag);
    } else {
        code.pushString("FSCommand:" + command).pushString(tag + ":");
    }
}

// Ends an argument begun by report().
void endReport(swf::Avm1& code, const std::string& command) {
    if (!command.empty()) code.add2();
    code.getUrl2();
}

}  // namespace

swf::Avm1 videoScript(const std::string& file, const std::string& command) {
    swf::Avm1 onStatus;
    report(onStatus, "video", command);
    onStatus.pushString("info").getVariable().pushString("code").getMember();
    endReport(onStatus, command);
    swf::Avm1 onMetaData;
    report(onMetaData, "meta", command);
    onMetaData.pushString("info").getVariable();
    onMetaData.pushString("duration").getMember().pushString(" ").add2();
    onMetaData.pushString("info").getVariable().pushString("width").getMember().add2();
    onMetaData.pushString("x").add2();
    onMetaData.pushString("info").getVariable().pushString("height").getMember().add2();
    endReport(onMetaData, command);
    swf::Avm1 code;
    code.pushString("nc").pushInt(0).pushString("NetConnection").newObject().setVariable();
    code.pushNull().pushInt(1).pushString("nc").getVariable().pushString("connect");
    code.callMethod().pop();
    code.pushString("ns").pushString("nc").getVariable().pushInt(1).pushString("NetStream");
    code.newObject().setVariable();
    code.pushString("ns").getVariable().pushString("onStatus").defineFunction({"info"}, onStatus);
    code.setMember();
    code.pushString("ns").getVariable().pushString("onMetaData");
    code.defineFunction({"info"}, onMetaData).setMember();
    code.pushString("ns").getVariable().pushInt(1).pushString("screen").getVariable();
    code.pushString("attachVideo").callMethod().pop();
    code.pushString(file).pushInt(1).pushString("ns").getVariable().pushString("play");
    code.callMethod().pop();
    return code;
}

bool near(std::uint32_t a, std::uint32_t b) {
    for (int shift : {0, 8, 16}) {
        int difference =
            static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (difference > 16 || difference < -16) return false;
    }
    return true;
}

CapturedStderr::CapturedStderr() {
    std::fflush(stderr);
    file_ = open(std::filesystem::temp_directory_path().c_str(), O_TMPFILE | O_RDWR, 0600);
    saved_ = dup(STDERR_FILENO);
    dup2(file_, STDERR_FILENO);
}

CapturedStderr::~CapturedStderr() {
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    close(file_);
}

std::string CapturedStderr::text() const {
    std::fflush(stderr);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = pread(file_, buffer, sizeof buffer, text.size())) > 0;) {
        text.append(buffer, got);
    }
    return text;
}

}  // namespace webmovie_test
