// The launcher as a person's machine runs it: the built VexoClient.exe in an installation
// directory of the test's own, on the headless backend, with the scripted movie control as the
// registered movie control, a local update server and a local log server. The programs the
// launcher hands over to are recording stand-ins unless a test puts real ones in their place.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/launcher/descendants.h"
#include "tests/launcher/local_server.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/program_run.h"

namespace launcher_test {

using Strings = std::vector<std::string>;
using Files = std::vector<std::pair<std::string, std::string>>;
using Starts = std::vector<Strings>;

inline constexpr const char* kSplashTitle = "正在启动中...";
inline constexpr const char* kFailMess1 =
    R"(<invoke name="failMess" ><arguments><string>1</string></arguments></invoke>)";

class LauncherTest : public ::testing::Test {
  protected:
    // An installation one update behind nothing: local and remote update number 5, no files,
    // no movie control version asked for, an empty splash movie, recording stand-ins for the
    // player and the updater, a log server answering 204.
    void SetUp() override;
    // Waits for everything the launcher started to end (killing what outlives the wait).
    void TearDown() override;

    std::string install(const std::string& name = {}) const;
    // config.properties for the local update server with `path` as server.path.
    void configure(const std::string& path);
    // Publishes a release on the update server: its manifest (with `flashNo` as flash-no unless
    // empty, and each file's SHA-256 when `listSha256`) and the files, under the configured
    // path. Files named in `unserved` are listed but not served. Returns the manifest.
    std::string publish(int updateNo, const Files& files, const std::string& flashNo = {},
                        const Strings& unserved = {});
    void localVersion(int updateNo);
    void welcome(const std::string& movie);
    void clientIdentifier(const std::string& identifier);
    // The headless script: message box answers and scripted input.
    void script(const std::string& steps);
    // A shell script at `name` in the installation that records each start into
    // started/<record>.<pid>, one argument a line, after running `before`; it ends with `code`.
    void standIn(const std::string& name, const std::string& record, const std::string& before = {},
                 int code = 0);
    // Copies a built program into the installation.
    void copyIn(const std::string& built, const std::string& name);

    // Starts `program` (the built launcher by default) in the installation; its UI trace goes to
    // `uiTrace` below the test's directory.
    std::unique_ptr<test_support::ProgramRun> start(const Strings& args = {},
                                                    const std::string& uiTrace = "ui.trace",
                                                    const std::string& program = VEXO_LAUNCHER);
    // The exit code of a run that must end; fails the test when it does not.
    int exitOf(test_support::ProgramRun& run);

    // The argument lists of the recorded starts of `record`, in no particular order.
    Starts startsOf(const std::string& record) const;
    // Waits until `record` has been started at least once.
    bool waitForStart(const std::string& record) const;
    // No stand-in recorded a start and no process the launcher started is left. Every run of
    // the test must have ended.
    bool startedNothing();

    std::string url() const;
    // The UI trace without its time prefixes, empty when there is none.
    std::string uiTrace(const std::string& name = "ui.trace") const;
    std::string movieTrace() const;
    // The handle of the splash window in a UI trace ("0x10004"), empty when none was shown.
    static std::string splashHandle(const std::string& trace);
    std::chrono::milliseconds sinceLaunch() const;

    test_support::TempDir dir;
    Descendants descendants;
    LocalServer updateServer;
    LocalServer logServer;
    std::string serverPath = "/vexo/";
    bool listSha256 = false;
    // Added to the environment of every program `start` runs.
    std::map<std::string, std::string> extraEnv;
    // Where `start`'s program writes its standard output (below the test's directory), or
    // empty: the test's own.
    std::string stdoutName;
    std::chrono::steady_clock::time_point launchedAt;
};

// The md5 digest of `content`, as the manifest lists it.
std::string md5Of(const std::string& content);
// How often `text` occurs in `haystack`.
std::size_t occurrences(const std::string& haystack, const std::string& text);

}  // namespace launcher_test
