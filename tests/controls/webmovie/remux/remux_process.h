#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace controls::webmovie::remux {

// vexo-flv-remux run with the given descriptors as its standard input, output and error.
pid_t startRemux(int in, int out, int err, const std::vector<std::string>& args = {});

struct ExitStatus {
    bool signalled = false;
    int code = -1;
};
ExitStatus waitExit(pid_t pid);

// A whole run over the file at input: as the program's standard input itself, or written
// into a pipe to it. Standard output goes to output.
enum class Feed { File, Pipe };
struct RemuxRun {
    ExitStatus status;
    std::string errors;  // what it wrote on standard error
};
RemuxRun runRemux(const std::string& input, Feed feed, const std::string& output,
                  const std::vector<std::string>& args = {});

// Writes all of data to fd, stopping quietly when the reader has gone.
void writeAll(int fd, const std::string& data);
std::string readFile(const std::string& path);

}  // namespace controls::webmovie::remux
