#include "platform/os/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/os/command_line.h"

extern char** environ;

namespace platform {

namespace {

// A bare name means the file in the current directory, never a search of PATH.
std::string programPath(const std::string& file) {
    return file.find('/') == std::string::npos ? "./" + file : file;
}

std::optional<pid_t> spawn(const std::string& file, const std::string& parameters) {
    const std::string path = programPath(file);
    std::vector<std::string> args = splitParameters(parameters);
    args.insert(args.begin(), file);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "vexo: cannot start %s\n", path.c_str());
        return std::nullopt;
    }
    return pid;
}

DWORD waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return static_cast<DWORD>(-1);
    }
    if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
    return static_cast<DWORD>(128 + WTERMSIG(status));
}

}  // namespace

bool shellExecute(const std::string& file, const std::string& parameters) {
    const auto pid = spawn(file, parameters);
    if (!pid) return false;
    std::thread([p = *pid] { waitFor(p); }).detach();
    return true;
}

std::optional<Process> Process::start(const std::string& file, const std::string& parameters) {
    const auto pid = spawn(file, parameters);
    if (!pid) return std::nullopt;
    return Process(*pid);
}

DWORD Process::wait() { return waitFor(pid_); }

void exitProcess(int code) {
    std::fflush(nullptr);
    std::exit(code);
}

}  // namespace platform
