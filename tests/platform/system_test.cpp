#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>
#include <cstdlib>
#include <filesystem>

#include <sys/socket.h>
#include <sys/un.h>

#include <atomic>
#include <cstring>

#include "platform/broadcast.h"
#include "platform/command_line.h"
#include "platform/headless/headless_backend.h"
#include "platform/named_mutex.h"
#include "platform/process.h"
#include "platform/registered_message.h"
#include "platform/runtime_dir.h"
#include "platform/window.h"
#include "tests/support/headless_fixture.h"

extern char** environ;

using namespace platform;
using Args = std::vector<std::string>;

namespace {

TEST(CommandLine, SplitsByTheWindowsRules) {
    struct Case {
        const char* line;
        Args args;
    };
    const Case cases[] = {
        {R"("C:\Program Files\a.exe" x y)", {R"(C:\Program Files\a.exe)", "x", "y"}},
        {R"(prog\\ "a b"  c)", {R"(prog\\)", "a b", "c"}},
        {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
        {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
        {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
        {R"(p a"b"" c d)", {"p", R"(ab")", "c", "d"}},
        {"p \"\" x", {"p", "", "x"}},
        {"p\t\tx  ", {"p", "x"}},
        {"\"quoted prog", {"quoted prog"}},
        {"", {""}},
        {"p http://h:80/p/client.swf -s -c", {"p", "http://h:80/p/client.swf", "-s", "-c"}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitCommandLine(c.line), c.args) << c.line;
}

TEST(CommandLine, ParametersAreSplitAsTheStartedProgramSeesThem) {
    EXPECT_EQ(splitParameters(R"(http://x/client.swf -s "a b" c\")"),
              (Args{"http://x/client.swf", "-s", "a b", "c\""}));
    EXPECT_TRUE(splitParameters("   ").empty());
}

TEST(CommandLine, AQuotedArgumentIsSplitBackAsItWas) {
    EXPECT_EQ(quoteArgument(R"(http://h/a\b.swf)"), R"(http://h/a\b.swf)");
    EXPECT_EQ(quoteArgument("a b"), R"("a b")");
    EXPECT_EQ(quoteArgument(""), R"("")");
    EXPECT_EQ(quoteArgument(R"(a\"b)"), R"("a\\\"b")");
    EXPECT_EQ(quoteArgument(R"(a b\\)"), R"("a b\\\\")");
    // Every argument of up to five characters from the ones the split treats specially, alone
    // and between others, so neighbours cannot merge or swallow each other.
    const std::string alphabet = "a \t\"\\";
    std::vector<std::string> arguments{""};
    for (std::size_t from = 0, length = 1; length <= 5; ++length) {
        const std::size_t to = arguments.size();
        for (std::size_t i = from; i < to; ++i)
            for (char c : alphabet) arguments.push_back(arguments[i] + c);
        from = to;
    }
    ASSERT_EQ(arguments.size(), 3906u);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const Args args{arguments[i], arguments[(i * 7) % arguments.size()], "-s"};
        std::string parameters;
        for (const auto& arg : args) parameters += quoteArgument(arg) + " ";
        ASSERT_EQ(splitParameters(parameters), args) << parameters;
        ASSERT_EQ(splitParameters(quoteArgument(arguments[i])), Args{arguments[i]});
    }
}

class SystemTest : public ::testing::Test {
  protected:
    void SetUp() override { setenv("VEXO_RUNTIME_DIR", dir.path().c_str(), 1); }
    void TearDown() override { unsetenv("VEXO_RUNTIME_DIR"); }

    // Whether another process finds the mutex taken.
    static bool takenForOtherProcess(const std::string& name) {
        const pid_t child = fork();
        if (child == 0) _exit(NamedMutex::create(name)->alreadyExists() ? 1 : 0);
        int status = 0;
        waitpid(child, &status, 0);
        return WEXITSTATUS(status) == 1;
    }

    test_support::TempDir dir;
};

TEST_F(SystemTest, ANamedMutexIsTakenUntilClosedAndNotHeldByStartedPrograms) {
    auto mutex = NamedMutex::create("KolvarMutexName");
    EXPECT_FALSE(mutex->alreadyExists());
    EXPECT_TRUE(takenForOtherProcess("KolvarMutexName"));
    EXPECT_FALSE(takenForOtherProcess("OtherName"));

    // A program started while the mutex is held must not keep it after the holder lets go.
    // It says when it runs: until its exec is through, it still has the holder's descriptors.
    int running[2];
    ASSERT_EQ(pipe2(running, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, running[1], 1);
    pid_t sleeper = 0;
    char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                    const_cast<char*>("echo; exec sleep 2"), nullptr};
    ASSERT_EQ(posix_spawnp(&sleeper, "sh", &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(running[1]);
    char line = 0;
    EXPECT_EQ(read(running[0], &line, 1), 1);
    close(running[0]);
    mutex->close();
    EXPECT_FALSE(takenForOtherProcess("KolvarMutexName"));
    kill(sleeper, SIGTERM);
    waitpid(sleeper, nullptr, 0);
}

TEST_F(SystemTest, ANamedMutexIsReleasedWhenItsHolderDies) {
    // The holder says through a pipe whether it holds the mutex: no probe can take the lock
    // from under it while it starts, however slowly a loaded machine starts it.
    int told[2];
    ASSERT_EQ(pipe(told), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        auto mutex = NamedMutex::create("KolvarMutexName");
        const char holds = mutex->alreadyExists() ? 'n' : 'y';
        if (write(told[1], &holds, 1) != 1) _exit(1);
        pause();
    }
    close(told[1]);
    char holds = 0;
    EXPECT_EQ(read(told[0], &holds, 1), 1);
    close(told[0]);
    EXPECT_EQ(holds, 'y');
    EXPECT_TRUE(takenForOtherProcess("KolvarMutexName"));
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_FALSE(NamedMutex::create("KolvarMutexName")->alreadyExists());
}

TEST_F(SystemTest, RegisteredMessagesAreTheSameNumberInEveryProcess) {
    const std::string text = "{BFDAE28B-944B-41AE-8865-BABE276E118B}";
    const pid_t child = fork();
    if (child == 0) _exit(registerWindowMessage("other") == 0xC000 ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const UINT number = registerWindowMessage(text);
    EXPECT_EQ(number, 0xC001u);
    EXPECT_EQ(registerWindowMessage(text), number);
    EXPECT_EQ(registerWindowMessage("other"), 0xC000u);
    EXPECT_EQ(registerWindowMessage(""), 0u);
}

TEST_F(SystemTest, ATableCutShortKeepsTheNumbersAlreadyGiven) {
    test_support::writeFile(dir.file("messages"), "first\nsecond-cut");
    EXPECT_EQ(registerWindowMessage("third"), 0xC002u);
    EXPECT_EQ(registerWindowMessage("first"), 0xC000u);
}

}  // namespace

namespace {

TEST_F(SystemTest, StartedProgramsComeFromTheCurrentDirectoryWithWindowsStyleParameters) {
    const std::string script = dir.file("echoargs.exe");
    test_support::writeFile(script,
                            "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > args.txt\n"
                            "exit 7\n");
    chmod(script.c_str(), 0755);
    const std::string before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    auto process = Process::start("echoargs.exe", R"(http://h/client.swf -s "a b")");
    ASSERT_TRUE(process.has_value());
    EXPECT_EQ(process->wait(), 7u);
    EXPECT_EQ(test_support::readFile(dir.file("args.txt")), "[http://h/client.swf][-s][a b]");
    EXPECT_FALSE(Process::start("missing.exe", "").has_value());
    std::filesystem::current_path(before);
}

}  // namespace

namespace {

class RecordingTopLevel : public Window {
  public:
    std::atomic<int> got{0};
    std::atomic<int> unregistered{0};
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == 0xC123 && wParam == 7) ++got;
        if (message == WM_COMMAND) ++unregistered;
        return Window::WindowProc(message, wParam, lParam);
    }
};

TEST_F(SystemTest, BroadcastsReachTopLevelWindowsAndNeverWaitForDeadOrBusyReceivers) {
    if (!hasBackend()) setBackend(createHeadlessBackend());
    // A receiver that died without cleaning up, and one that never reads.
    std::filesystem::create_directories(dir.file("broadcast"));
    test_support::writeFile(dir.file("broadcast/999999.sock"), "");
    const int busy = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string busyPath = dir.file("broadcast/1.sock");
    std::strcpy(address.sun_path, busyPath.c_str());
    ASSERT_EQ(::bind(busy, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    RecordingTopLevel window;
    ASSERT_TRUE(window.CreateEx(0, "T", "", WS_POPUP, RECT{}, nullptr, 0));
    ASSERT_TRUE(receiveBroadcasts());
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 2000; ++i) broadcastSystemMessage(0xC123, 7, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(test_support::pumpUntil([&] { return window.got > 0; }));
    // Only registered messages are taken from other programs.
    window.got = 0;
    broadcastSystemMessage(WM_COMMAND, 7, 0);
    broadcastSystemMessage(0xC123, 7, 0);
    EXPECT_TRUE(test_support::pumpUntil([&] { return window.got > 0; }));
    EXPECT_EQ(window.unregistered.load(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("broadcast/999999.sock")))
        << "the dead receiver's socket is cleared away";
    ::close(busy);
}

}  // namespace

namespace {

// Directories that must not be used for the runtime directory: another user's, a link to one
// of ours, a file.
class RuntimeDirTest : public SystemTest {
  protected:
    void SetUp() override {
        SystemTest::SetUp();
        const char* home = getenv("HOME");
        savedHome = home ? home : "";
        setenv("HOME", dir.file("home").c_str(), 1);
    }
    void TearDown() override {
        setenv("HOME", savedHome.c_str(), 1);
        SystemTest::TearDown();
    }
    // As root a directory can be given to another user; otherwise /usr is one (root's).
    std::string foreignDirectory() const {
        if (getuid() != 0) return "/usr";
        const std::string foreign = dir.file("foreign");
        EXPECT_EQ(mkdir(foreign.c_str(), 0777), 0);
        EXPECT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
        return foreign;
    }
    std::string fallback() const { return dir.file("home") + "/.cache/vexo/run"; }

    std::string savedHome;
};

TEST_F(RuntimeDirTest, AForeignDirectoryIsRefusedForAPrivateOneUnderHome) {
    std::filesystem::create_directories(dir.file("real"));
    std::filesystem::create_directory_symlink(dir.file("real"), dir.file("link"));
    test_support::writeFile(dir.file("file"), "");
    for (const std::string& refused : {foreignDirectory(), dir.file("link"), dir.file("file")}) {
        setenv("VEXO_RUNTIME_DIR", refused.c_str(), 1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(runtimeDirectory(), fallback());
        EXPECT_EQ(runtimeDirectory(), fallback());
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "vexo: " + refused + " is not a private directory of this user's; using " +
                      fallback() + "\n")
            << "said once";
    }
    struct stat info {};
    ASSERT_EQ(lstat(fallback().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, getuid());

    // Single instance and activation work there.
    auto mutex = NamedMutex::create("KolvarMutexName");
    EXPECT_FALSE(mutex->alreadyExists());
    EXPECT_TRUE(takenForOtherProcess("KolvarMutexName"));
    EXPECT_TRUE(std::filesystem::exists(fallback() + "/KolvarMutexName.mutex"));
    EXPECT_EQ(registerWindowMessage("{BFDAE28B-944B-41AE-8865-BABE276E118B}"), 0xC000u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("real")));
}

TEST_F(RuntimeDirTest, WithoutAnyPrivateDirectoryNothingIsShared) {
    test_support::writeFile(dir.file("file"), "");
    setenv("VEXO_RUNTIME_DIR", dir.file("file").c_str(), 1);
    setenv("HOME", dir.file("file").c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(runtimeDirectory(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vexo: " + dir.file("file") +
                  " is not a private directory of this user's and no other could be made; single "
                  "instance and activation are off\n");
    // The program is the only instance, as when a mutex cannot be made.
    auto mutex = NamedMutex::create("KolvarMutexName");
    EXPECT_FALSE(mutex->alreadyExists());
    EXPECT_FALSE(takenForOtherProcess("KolvarMutexName"));
    EXPECT_EQ(registerWindowMessage("{BFDAE28B-944B-41AE-8865-BABE276E118B}"), 0u);
}

TEST_F(RuntimeDirTest, TheDirectoryIsMadePrivateWhateverTheUmask) {
    const mode_t saved = umask(0);
    setenv("VEXO_RUNTIME_DIR", dir.file("a/b/run/").c_str(), 1);
    EXPECT_EQ(runtimeDirectory(), dir.file("a/b/run"));
    umask(saved);
    mkdir(dir.file("wide").c_str(), 0755);
    setenv("VEXO_RUNTIME_DIR", dir.file("wide").c_str(), 1);
    EXPECT_EQ(runtimeDirectory(), dir.file("wide"));
    for (const char* made : {"a/b/run", "wide"}) {
        struct stat info {};
        ASSERT_EQ(stat(dir.file(made).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << made;
    }
}

}  // namespace
