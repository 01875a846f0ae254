#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>
#include <cstdlib>
#include <filesystem>

#include <sys/socket.h>
#include <sys/un.h>

#include <linux/sockios.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cstring>

#include "platform/broadcast.h"
#include "platform/headless/headless_backend.h"
#include "platform/messages.h"
#include "platform/os/command_line.h"
#include "platform/os/named_mutex.h"
#include "platform/os/process.h"
#include "platform/os/runtime_dir.h"
#include "platform/registered_message.h"
#include "platform/window.h"
#include "tests/support/fifo.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/program_run.h"
#include "tests/support/scoped_env.h"

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
    // Whether another process finds the mutex taken.
    static bool takenForOtherProcess(const std::string& name) {
        const pid_t child = fork();
        if (child == 0) _exit(NamedMutex::create(name)->alreadyExists() ? 1 : 0);
        int status = 0;
        waitpid(child, &status, 0);
        return WEXITSTATUS(status) == 1;
    }

    test_support::TempDir dir;
    test_support::ScopedEnv runtimeDir{"VEXO_RUNTIME_DIR", dir.path()};
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
    EXPECT_EQ(registerWindowMessage(std::string(kMaxMessageNameLength + 1, 'x')), 0u);
    EXPECT_EQ(registerWindowMessage(std::string(kMaxMessageNameLength, 'x')), 0xC002u);
}

TEST_F(SystemTest, ATableCutShortKeepsTheNumbersAlreadyGiven) {
    test_support::writeFile(dir.file("messages"), "first\nsecond-cut");
    EXPECT_EQ(registerWindowMessage("third"), 0xC002u);
    EXPECT_EQ(registerWindowMessage("first"), 0xC000u);
}

// Every number taken, by a table no program of ours wrote: its names keep their numbers, and
// a new name (the activation message, say) still gets one.
TEST_F(SystemTest, AFullMessageTableStillGivesANewNameANumber) {
    std::string table;
    for (int i = 0; i < 16384; ++i) table += "name" + std::to_string(i) + "\n";
    test_support::writeFile(dir.file("messages"), table);
    EXPECT_EQ(registerWindowMessage("name16383"), 0xFFFFu);
    EXPECT_EQ(registerWindowMessage("name5"), 0xC005u);
    testing::internal::CaptureStderr();
    const std::string activation = "{BFDAE28B-944B-41AE-8865-BABE276E118B}";
    EXPECT_EQ(registerWindowMessage(activation), 0xC000u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vexo: the message table " + dir.file("messages") + " is full; starting it afresh\n");
    EXPECT_EQ(registerWindowMessage("next"), 0xC001u);
    EXPECT_EQ(test_support::readFile(dir.file("messages")), activation + "\nnext\n");

    // A table larger than any we write is not read through.
    std::filesystem::resize_file(dir.file("messages"), kMaxMessageTableSize + 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(registerWindowMessage("next"), 0xC000u);
    testing::internal::GetCapturedStderr();
}

TEST_F(SystemTest, AMessageTableThatIsNoRegularFileIsRefusedWithoutWaiting) {
    ASSERT_TRUE(test_support::makeFifo(dir.file("messages")));
    testing::internal::CaptureStderr();
    UINT number = 1;
    test_support::runWithoutWaiting([&] { number = registerWindowMessage("pipe"); });
    EXPECT_EQ(number, 0u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "vexo: the message table " +
                                                          dir.file("messages") +
                                                          " is not a regular file; not using it\n");

    std::filesystem::remove(dir.file("messages"));
    test_support::writeFile(dir.file("elsewhere"), "");
    std::filesystem::create_symlink(dir.file("elsewhere"), dir.file("messages"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(registerWindowMessage("link"), 0u);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(test_support::readFile(dir.file("elsewhere")), "") << "never written through";
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
    UINT watched = 0;
    int got = 0;        // the watched message with wParam 7
    int strangers = 0;  // any other message that could only come from outside
    int user = 0;       // WM_USER, posted by the test itself
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == watched && wParam == 7) ++got;
        if (message == WM_COMMAND || (message >= 0xC000 && message != watched)) ++strangers;
        if (message == WM_USER) ++user;
        return Window::WindowProc(message, wParam, lParam);
    }
};

// This process receiving broadcasts, with a socket of its own to send to itself as any other
// program could.
class BroadcastTest : public SystemTest {
  protected:
    void SetUp() override {
        SystemTest::SetUp();
        if (!hasBackend()) setBackend(createHeadlessBackend());
        window.watched = registerWindowMessage("watched");
        ASSERT_NE(window.watched, 0u);
        ASSERT_TRUE(window.CreateEx(0, "T", "", WS_POPUP, RECT{}, nullptr, 0));
        ASSERT_TRUE(receiveBroadcasts());
        sender = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string own = dir.file("broadcast/" + std::to_string(getpid()) + ".sock");
        std::strcpy(address.sun_path, own.c_str());
        ASSERT_EQ(::connect(sender, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    // Leaves nothing on its way to the next test's window: this process's receivers go on
    // for its whole life, and the next test's table gives its message the same number.
    void TearDown() override {
        sendRaw(0xC123);
        EXPECT_TRUE(allReceived());
        EXPECT_TRUE(drainQueue());
        ::close(sender);
        SystemTest::TearDown();
    }

    // A datagram of `size` bytes starting like a broadcast of `message` with wParam 7; the
    // send waits while the receiver's socket is full.
    void sendRaw(UINT message, std::size_t size = 24) {
        std::string bytes(std::max<std::size_t>(size, 16), '\0');
        const std::uint64_t wParam = 7;
        std::memcpy(bytes.data(), &message, sizeof message);
        std::memcpy(bytes.data() + 8, &wParam, sizeof wParam);
        bytes.resize(size);
        ASSERT_EQ(::send(sender, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(size));
    }
    // Waits until this process has received every datagram sent so far: the kernel counts a
    // datagram against the sender until the receiver has taken it.
    bool allReceived() const {
        return test_support::waitUntil(
            [this] {
                int unread = -1;
                return ::ioctl(sender, SIOCOUTQ, &unread) == 0 && unread == 0;
            },
            std::chrono::seconds(60));
    }
    // Handles every message the window's queue holds now: a message posted last comes last.
    bool drainQueue() {
        const int before = window.user;
        postMessage(window.GetSafeHwnd(), WM_USER);
        return test_support::pumpUntil([&] { return window.user > before; });
    }

    RecordingTopLevel window;
    int sender = -1;
};

TEST_F(BroadcastTest, BroadcastsReachTopLevelWindowsAndNeverWaitForDeadOrBusyReceivers) {
    // A receiver that died without cleaning up, and one that never reads.
    test_support::writeFile(dir.file("broadcast/999999.sock"), "");
    const int busy = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, dir.file("broadcast/1.sock").c_str());
    ASSERT_EQ(::bind(busy, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    // Far more than the busy receiver's socket holds: a send that waited would never return.
    int reachedAll = 0;
    for (int i = 0; i < 200; ++i) reachedAll += broadcastSystemMessage(window.watched, 7, 0) == 2;
    EXPECT_LT(reachedAll, 200) << "the busy receiver is passed over once its socket is full";
    EXPECT_TRUE(test_support::pumpUntil([&] { return window.got > 0; }));
    EXPECT_FALSE(std::filesystem::exists(dir.file("broadcast/999999.sock")))
        << "the dead receiver's socket is cleared away";
    EXPECT_EQ(broadcastSystemMessage(WM_COMMAND, 7, 0), 0) << "only registered messages are sent";
    ::close(busy);
}

// What another local program might send: a message that is not registered here, a window
// message, a datagram cut short and one whose first bytes are a broadcast.
TEST_F(BroadcastTest, OnlyWholeDatagramsOfRegisteredMessagesArrive) {
    sendRaw(0xC123);
    sendRaw(WM_COMMAND);
    sendRaw(window.watched, 23);
    sendRaw(window.watched, 100024);
    sendRaw(window.watched);
    sendRaw(0xC123);  // taken last: once it is gone, everything before it has been posted
    ASSERT_TRUE(allReceived());
    ASSERT_TRUE(drainQueue());
    EXPECT_EQ(window.got, 1);
    EXPECT_EQ(window.strangers, 0);
}

TEST_F(BroadcastTest, AFloodOfBroadcastsWaitsInABoundedQueue) {
    // Nothing is handled while the flood arrives: this thread does not pump meanwhile.
    for (int i = 0; i < 1000; ++i) sendRaw(window.watched);
    sendRaw(0xC123);  // taken last, so the flood has been posted once it is gone
    ASSERT_TRUE(allReceived());
    ASSERT_TRUE(drainQueue());
    EXPECT_EQ(window.got, static_cast<int>(kMaxWaitingBroadcasts));
    sendRaw(window.watched);
    sendRaw(0xC123);
    ASSERT_TRUE(allReceived());
    ASSERT_TRUE(drainQueue());
    EXPECT_EQ(window.got, static_cast<int>(kMaxWaitingBroadcasts) + 1) << "room again once handled";
}

}  // namespace

namespace {

// Directories that must not be used for the runtime directory: another user's, a link to one
// of ours, a file.
class RuntimeDirTest : public SystemTest {
  protected:
    // As root a directory can be given to another user; otherwise /usr is one (root's).
    std::string foreignDirectory() const {
        if (getuid() != 0) return "/usr";
        const std::string foreign = dir.file("foreign");
        EXPECT_EQ(mkdir(foreign.c_str(), 0777), 0);
        EXPECT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
        return foreign;
    }
    std::string fallback() const { return dir.file("home") + "/.cache/vexo/run"; }

    test_support::ScopedEnv home{"HOME", dir.file("home")};
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
