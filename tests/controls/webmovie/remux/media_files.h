#pragma once

#include <map>
#include <string>
#include <vector>

namespace controls::webmovie::remux {

// A directory for this run's files, removed when the tests end.
std::string scratchDir();

// A 320x240 test picture with a tone, 2 s unless told, encoded by ffmpeg with the given output
// options into scratchDir()/name; made once per run.
std::string makeMovie(const std::string& name, const std::string& options, int seconds = 2);
std::string writeScratch(const std::string& name, const std::string& bytes);

// What ffprobe finds in a file, as its flat output: "format.duration", "streams.stream.0.
// codec_name", ... Packets are counted (streams.stream.N.nb_read_packets).
std::map<std::string, std::string> probe(const std::string& path);

// pts - dts of each packet of the file's video stream, in milliseconds, and its dts.
struct PacketTimes {
    std::vector<long long> dts;
    std::vector<long long> offsets;
};
PacketTimes videoPacketTimes(const std::string& path);

}  // namespace controls::webmovie::remux
