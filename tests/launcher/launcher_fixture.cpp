#include "tests/launcher/launcher_fixture.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "tests/support/trace_text.h"
#include "update/digest/md5.h"
#include "update/digest/sha256.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::readFile;
using test_support::writeFile;

namespace launcher_test {

namespace {

constexpr auto kRunLimit = 60s;

std::string fileEntry(const std::string& name, const std::string& content, bool withSha256) {
    return "            <file>\n"
           "                <position></position>\n"
           "                <name>" +
           name + "</name>\n                <md5-code>" + md5Of(content) +
           "</md5-code>\n                <length>" + std::to_string(content.size()) +
           "</length>\n" +
           (withSha256 ? "                <sha256>" + sha256Of(content) + "</sha256>\n" : "") +
           "            </file>\n";
}

}  // namespace

std::string md5Of(const std::string& content) {
    Md5 digest;
    digest.addData(content.data(), content.size());
    return digest.hexDigest();
}

std::size_t occurrences(const std::string& haystack, const std::string& text) {
    std::size_t count = 0;
    for (auto at = haystack.find(text); at != std::string::npos; at = haystack.find(text, at + 1))
        ++count;
    return count;
}

void LauncherTest::SetUp() {
    fs::create_directories(install("started"));
    fs::create_directories(dir.file("runtime"));
    configure(serverPath);
    clientIdentifier({});
    localVersion(5);
    publish(5, {});
    welcome("");
    standIn("VexoClientPlay.exe", "VexoClientPlay.exe");
    standIn("VexoClientUpdater.exe", "VexoClientUpdater.exe");
    logServer.answer("/clientlog", 204);
}

void LauncherTest::TearDown() {
    EXPECT_TRUE(descendants.waitForAll(30s)) << "a started program did not end";
}

std::string LauncherTest::install(const std::string& name) const {
    return name.empty() ? dir.file("install") : dir.file("install/" + name);
}

void LauncherTest::configure(const std::string& path) {
    serverPath = path;
    writeFile(install("config.properties"),
              "# local update server\nserver.host = 127.0.0.1\nserver.port = " +
                  std::to_string(updateServer.port()) + "\nserver.path = " + path + "\n");
}

std::string LauncherTest::publish(int updateNo, const Files& files, const std::string& flashNo,
                                  const Strings& unserved) {
    std::string entries;
    for (const auto& [name, content] : files) {
        entries += fileEntry(name, content, listSha256);
        if (std::find(unserved.begin(), unserved.end(), name) == unserved.end())
            updateServer.answer(serverPath + name, 200, content);
    }
    const std::string number = std::to_string(updateNo);
    const std::string manifest =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root>\n    <latest-ver>\n"
        "        <update-no>" +
        number + "</update-no>\n" +
        (flashNo.empty() ? "" : "        <flash-no>" + flashNo + "</flash-no>\n") +
        "        <no>1.0." + number + "</no>\n        <files>\n" + entries +
        "        </files>\n    </latest-ver>\n</root>\n";
    updateServer.answer(serverPath + "version.xml", 200, manifest);
    return manifest;
}

void LauncherTest::localVersion(int updateNo) {
    const std::string number = std::to_string(updateNo);
    writeFile(install("version.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<ver>\n    <no>1.0." + number +
                  "</no>\n    <update-no>" + number + "</update-no>\n</ver>\n");
}

void LauncherTest::welcome(const std::string& movie) { writeFile(install("welcome.swf"), movie); }

void LauncherTest::clientIdentifier(const std::string& identifier) {
    std::string registry =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}\\InprocServer32]\n"
        "@=\"" SCRIPTMOVIE_MODULE "\"\n";
    if (!identifier.empty())
        registry += "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qorvane\\VexoClient]\n\"GUID\"=\"" +
                    identifier + "\"\n";
    writeFile(dir.file("registry.reg"), registry);
}

void LauncherTest::script(const std::string& steps) { writeFile(dir.file("script.txt"), steps); }

void LauncherTest::standIn(const std::string& name, const std::string& record,
                           const std::string& before, int code) {
    fs::create_directories(fs::path(install(name)).parent_path());
    writeFile(install(name), "#!/bin/sh\n" + before +
                                 "\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > "
                                 "started/.record.$$\nmv started/.record.$$ started/" +
                                 record + ".$$\nexit " + std::to_string(code) + "\n");
    fs::permissions(install(name), fs::perms(0755));
}

void LauncherTest::copyIn(const std::string& built, const std::string& name) {
    fs::copy_file(built, install(name), fs::copy_options::overwrite_existing);
}

std::unique_ptr<test_support::ProgramRun> LauncherTest::start(const Strings& args,
                                                              const std::string& uiTrace,
                                                              const std::string& program) {
    std::map<std::string, std::string> env{
        {"VEXO_BACKEND", "headless"},
        {"VEXO_REGISTRY", dir.file("registry.reg")},
        {"VEXO_RUNTIME_DIR", dir.file("runtime")},
        {"VEXO_UI_TRACE", dir.file(uiTrace)},
        {"VEXO_SCRIPTMOVIE_TRACE", dir.file("movie.trace")},
        {"VEXO_LOG_SERVER", "127.0.0.1:" + std::to_string(logServer.port())}};
    if (fs::exists(dir.file("script.txt"))) env["VEXO_HEADLESS_SCRIPT"] = dir.file("script.txt");
    env.insert(extraEnv.begin(), extraEnv.end());
    launchedAt = std::chrono::steady_clock::now();
    auto run = std::make_unique<test_support::ProgramRun>(
        program, args, install(), env, stdoutName.empty() ? "" : dir.file(stdoutName));
    EXPECT_TRUE(run->started());
    return run;
}

int LauncherTest::exitOf(test_support::ProgramRun& run) {
    const auto code = run.wait(kRunLimit);
    EXPECT_TRUE(code.has_value()) << "the launcher did not end";
    return code.value_or(-1);
}

Starts LauncherTest::startsOf(const std::string& record) const {
    Starts starts;
    for (const auto& entry : fs::directory_iterator(install("started"))) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(record + ".", 0) != 0) continue;
        Strings args;
        std::istringstream lines(readFile(entry.path().string()));
        for (std::string line; std::getline(lines, line);) args.push_back(line);
        starts.push_back(args);
    }
    return starts;
}

bool LauncherTest::waitForStart(const std::string& record) const {
    return test_support::waitUntil([&] { return !startsOf(record).empty(); }, kRunLimit);
}

bool LauncherTest::startedNothing() {
    return fs::is_empty(install("started")) && descendants.none();
}

std::string LauncherTest::url() const {
    return "http://127.0.0.1:" + std::to_string(updateServer.port()) + serverPath + "client.swf";
}

std::string LauncherTest::uiTrace(const std::string& name) const {
    return fs::exists(dir.file(name)) ? test_support::readTrace(dir.file(name)) : std::string();
}

std::string LauncherTest::movieTrace() const {
    return fs::exists(dir.file("movie.trace")) ? readFile(dir.file("movie.trace")) : std::string();
}

std::string LauncherTest::splashHandle(const std::string& trace) {
    const std::string tail = std::string(" \"") + kSplashTitle + "\"\n";
    const auto at = trace.find(tail);
    if (at == std::string::npos) return {};
    const auto lineStart = trace.rfind('\n', at) + 1;
    if (trace.compare(lineStart, 5, "text ") != 0) return {};
    return trace.substr(lineStart + 5, at - lineStart - 5);
}

std::chrono::milliseconds LauncherTest::sinceLaunch() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 launchedAt);
}

}  // namespace launcher_test
