#include "tests/controls/webmovie/remux/remux_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

pid_t start_remux(int in, int out, int err, const std::vector<std::string>& args) {
    std::vector<std::string> argv_strings{REMUX_PROGRAM};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argv_strings) argv.push_back(arg.data());
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

ExitStatus wait_exit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    if (WIFSIGNALED(status)) return {true, WTERMSIG(status)};
    return {false, WEXITSTATUS(status)};
}

void write_all(int fd, const std::string& data) {
    signal(SIGPIPE, SIG_IGN);
    for (size_t done = 0; done < data.size();) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n <= 0) return;
        done += n;
    }
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

RemuxRun run_remux(const std::string& input, Feed feed, const std::string& output,
                   const std::vector<std::string>& args) {
    std::string errors_path = output + ".stderr";
    int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int err = open(errors_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int pipe_fds[2] = {-1, -1};
    int in = -1;
    if (feed == Feed::File) {
        in = open(input.c_str(), O_RDONLY | O_CLOEXEC);
    } else if (pipe2(pipe_fds, O_CLOEXEC) == 0) {
        in = pipe_fds[0];
    }
    pid_t pid = start_remux(in, out, err, args);
    close(in);
    close(out);
    close(err);
    // The output goes to a file, so the program never waits for us while we write.
    if (feed == Feed::Pipe) {
        write_all(pipe_fds[1], read_file(input));
        close(pipe_fds[1]);
    }
    ExitStatus status = wait_exit(pid);
    return {status, read_file(errors_path)};
}
