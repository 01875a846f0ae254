// An installation directory of a test's own, with a registry file beside it, and the programs
// that run in it: the offer program (tests/flash/flash_offer_main.cpp), the movie control
// installer and vexo-register-control, each with its standard output and error in files.
#pragma once

#include <string>
#include <vector>

#include "tests/support/headless_fixture.h"

namespace flash_test {

using Lines = std::vector<std::string>;

// The lines of `text`, without their line feeds.
Lines splitLines(const std::string& text);

class Installation {
  public:
    Installation();

    std::string path() const { return dir_.file("install"); }
    std::string file(const std::string& name) const { return path() + "/" + name; }
    std::string registryFile() const { return dir_.file("registry.reg"); }

    // Writes Plus/install_flashplayer.exe as a shell script with `body`, executable or not.
    void writeInstallerScript(const std::string& body, bool executable = true) const;
    // Copies a built file into the installation as `name`, keeping its permissions.
    void copyIn(const std::string& from, const std::string& name) const;

    // Runs the offer program with the message box answers (IDYES, IDNO, IDOK) it is to get; the
    // exit code, or -1 when it did not end.
    int runOffer(const Lines& answers) const;
    // What the offer program logged and printed, line by line.
    Lines offerOutput() const;
    // The message boxes shown, each from its type on ("type=0x... caption=... text=...").
    Lines messageBoxes() const;

    // Runs `program` in the installation with `args` and VEXO_REGISTRY set to `registry`
    // (registryFile() when empty); standard error is kept for errors(). The exit code or -1.
    int run(const std::string& program, const std::vector<std::string>& args = {},
            const std::string& registry = {}) const;
    std::string errors() const;

  private:
    test_support::TempDir dir_;
};

}  // namespace flash_test
