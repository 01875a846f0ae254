#include "tests/flash/movie_host.h"

#include <cstdlib>
#include <map>
#include <sstream>

#include "platform/dialog_template.h"

using namespace platform;

namespace flash_test {

namespace {

constexpr EventSinkEntry kSinkEntries[] = {
    {9000, CShockwaveFlash::kDispidFSCommand,
     onStringEvent<HostWindow, &HostWindow::onMainCommand>},
    {9001, CShockwaveFlash::kDispidFSCommand,
     onStringEvent<HostWindow, &HostWindow::onPlayCommand>},
};
constexpr EventSinkMap kSinkMap{nullptr, kSinkEntries};

}  // namespace

const EventSinkMap* HostWindow::GetEventSinkMap() const { return &kSinkMap; }

LRESULT HostWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back(message);
    return Window::WindowProc(message, wParam, lParam);
}

void MovieHostTest::SetUp() {
    HeadlessTest::SetUp();
    registerControl(SCRIPTMOVIE_MODULE);
    setenv("VEXO_SCRIPTMOVIE_TRACE", dir.file("trace").c_str(), 1);
    ASSERT_TRUE(
        host.CreateEx(0, "Host", "", WS_POPUP | WS_VISIBLE, RECT{100, 100, 1060, 694}, nullptr, 0));
    host.main.setParentWindow(&host);
    host.play.setParentWindow(&host);
}

void MovieHostTest::TearDown() {
    unsetenv("VEXO_SCRIPTMOVIE_TRACE");
    unsetenv("VEXO_REGISTRY");
}

void MovieHostTest::registerControl(const std::string& library) {
    // Written with the lower-case spelling that installers use; looked up in upper case.
    test_support::writeFile(dir.file("registry.reg"),
                            "Windows Registry Editor Version 5.00\n\n"
                            "[HKEY_CLASSES_ROOT\\CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}"
                            "\\InprocServer32]\n@=\"" +
                                library + "\"\n");
    setenv("VEXO_REGISTRY", dir.file("registry.reg").c_str(), 1);
}

std::string MovieHostTest::movie(const std::string& name, const std::string& script) {
    test_support::writeFile(dir.file(name), script);
    return dir.file(name);
}

std::vector<std::string> MovieHostTest::traceLines() const {
    // Controls are numbered per process; renumber them 1, 2, ... in order of appearance so
    // a test reads the same alone or after others.
    std::map<std::string, int> renumbered;
    std::vector<std::string> lines;
    std::istringstream in(test_support::readFile(dir.file("trace")));
    for (std::string line; std::getline(in, line);) {
        const auto blank = line.find(' ');
        const std::string instance = line.substr(0, blank);
        const int number = renumbered.emplace(instance, renumbered.size() + 1).first->second;
        lines.push_back(std::to_string(number) + line.substr(blank));
    }
    return lines;
}

std::vector<std::string> MovieHostTest::tracedCalls() const {
    std::vector<std::string> calls;
    const std::string marker = " CallFunction ";
    for (const auto& line : traceLines()) {
        const auto at = line.find(marker);
        if (at != std::string::npos) calls.push_back(line.substr(at + marker.size()));
    }
    return calls;
}

std::vector<std::string> MovieHostTest::newLogLines() const { return log.lines(); }

}  // namespace flash_test
