#include "tests/flash/installation.h"

#include <chrono>
#include <filesystem>
#include <sstream>

#include "tests/support/program_run.h"
#include "tests/support/trace_text.h"

namespace flash_test {

namespace fs = std::filesystem;

namespace {

// Long enough for a loaded machine; a program that does not end within it has hung.
constexpr std::chrono::minutes kHangLimit{2};

int runToEnd(test_support::ProgramRun& run) {
    if (!run.started()) return -1;
    return run.wait(kHangLimit).value_or(-1);
}

}  // namespace

Lines splitLines(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

Installation::Installation() { fs::create_directories(path() + "/Plus"); }

void Installation::writeInstallerScript(const std::string& body, bool executable) const {
    const std::string installer = file("Plus/install_flashplayer.exe");
    test_support::writeFile(installer, "#!/bin/sh\n" + body);
    fs::permissions(installer, executable ? fs::perms::owner_all
                                          : fs::perms::owner_read | fs::perms::owner_write);
}

void Installation::copyIn(const std::string& from, const std::string& name) const {
    fs::copy_file(from, file(name), fs::copy_options::overwrite_existing);
}

int Installation::runOffer(const Lines& answers) const {
    std::string script;
    for (const auto& answer : answers) script += "msgbox " + answer + "\n";
    test_support::writeFile(dir_.file("answers.script"), script);
    test_support::ProgramRun run(FLASH_OFFER_PROGRAM, {dir_.file("offer.out")}, path(),
                                 {{"VEXO_HEADLESS_SCRIPT", dir_.file("answers.script")},
                                  {"VEXO_UI_TRACE", dir_.file("ui.trace")},
                                  {"VEXO_REGISTRY", registryFile()}});
    return runToEnd(run);
}

Lines Installation::offerOutput() const {
    return splitLines(test_support::readFile(dir_.file("offer.out")));
}

Lines Installation::messageBoxes() const {
    Lines boxes;
    for (const auto& line : splitLines(test_support::readTrace(dir_.file("ui.trace"))))
        if (line.starts_with("msgbox ")) boxes.push_back(line.substr(line.find("type=")));
    return boxes;
}

int Installation::run(const std::string& program, const std::vector<std::string>& args,
                      const std::string& registry) const {
    std::vector<std::string> shellArgs{"-c", "exec \"$0\" \"$@\" 2>\"$ERRORS\"", program};
    shellArgs.insert(shellArgs.end(), args.begin(), args.end());
    test_support::ProgramRun run("/bin/sh", shellArgs, path(),
                                 {{"ERRORS", dir_.file("errors.txt")},
                                  {"VEXO_REGISTRY", registry.empty() ? registryFile() : registry}});
    return runToEnd(run);
}

std::string Installation::errors() const { return test_support::readFile(dir_.file("errors.txt")); }

}  // namespace flash_test
