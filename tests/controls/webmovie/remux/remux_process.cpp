#include "tests/controls/webmovie/remux/remux_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace controls::webmovie::remux {

pid_t startRemux(int in, int out, int err, const std::vector<std::string>& args) {
    std::vector<std::string> argvStrings{REMUX_PROGRAM};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argvStrings) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        closefrom(3);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

ExitStatus waitExit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    if (WIFSIGNALED(status)) return {true, WTERMSIG(status)};
    return {false, WEXITSTATUS(status)};
}

void writeAll(int fd, const std::string& data) {
    signal(SIGPIPE, SIG_IGN);
    for (size_t done = 0; done < data.size();) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n <= 0) return;
        done += n;
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

RemuxRun runRemux(const std::string& input, Feed feed, const std::string& output,
                  const std::vector<std::string>& args) {
    std::string errorsPath = output + ".stderr";
    int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int err = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int pipeFds[2] = {-1, -1};
    int in = -1;
    if (feed == Feed::File) {
        in = open(input.c_str(), O_RDONLY | O_CLOEXEC);
    } else if (pipe2(pipeFds, O_CLOEXEC) == 0) {
        in = pipeFds[0];
    }
    pid_t pid = startRemux(in, out, err, args);
    close(in);
    close(out);
    close(err);
    // The output goes to a file, so the program never waits for us while we write.
    if (feed == Feed::Pipe) {
        writeAll(pipeFds[1], readFile(input));
        close(pipeFds[1]);
    }
    ExitStatus status = waitExit(pid);
    return {status, readFile(errorsPath)};
}

}  // namespace controls::webmovie::remux
