#include "tests/controls/webmovie/remux/media_files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace controls::webmovie::remux {
namespace {

std::string outputOf(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string text;
    char buf[4096];
    while (pipe && fgets(buf, sizeof buf, pipe.get())) text += buf;
    return text;
}

std::string shellQuoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

std::string scratchDir() {
    static test_support::TempDir dir;
    return dir.path();
}

std::string makeMovie(const std::string& name, const std::string& options, int seconds) {
    std::string path = scratchDir() + "/" + name;
    if (std::filesystem::exists(path)) return path;
    std::string duration = std::to_string(seconds);
    std::string command =
        "ffmpeg -v error -nostdin -f lavfi -i testsrc=size=320x240:rate=25:duration=" + duration +
        " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + duration + " " + options +
        " " + shellQuoted(path);
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
}

std::string writeScratch(const std::string& name, const std::string& bytes) {
    std::string path = scratchDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::map<std::string, std::string> probe(const std::string& path) {
    std::string text = outputOf(
        "ffprobe -v error -count_packets -show_format -show_streams "
        "-of flat " +
        shellQuoted(path));
    std::map<std::string, std::string> values;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
        values[line.substr(0, eq)] = value;
    }
    return values;
}

PacketTimes videoPacketTimes(const std::string& path) {
    std::string text = outputOf(
        "ffprobe -v error -select_streams v -show_entries "
        "packet=pts_time,dts_time -of csv=p=0 " +
        shellQuoted(path));
    PacketTimes times;
    double pts = 0, dts = 0;
    for (const char* p = text.c_str(); std::sscanf(p, "%lf,%lf", &pts, &dts) == 2;) {
        times.dts.push_back(std::llround(dts * 1000));
        times.offsets.push_back(std::llround((pts - dts) * 1000));
        p = std::strchr(p, '\n');
        if (!p) break;
        ++p;
    }
    return times;
}

}  // namespace controls::webmovie::remux
