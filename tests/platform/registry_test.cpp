#include "platform/os/registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/fifo.h"
#include "tests/support/temp_dir.h"

namespace platform {
// Failure messages show a registry as its file text.
void PrintTo(const Registry& registry, std::ostream* os) { *os << registry.serialize(); }
}  // namespace platform

namespace {

using platform::Registry;
using platform::RegistryValue;
namespace fs = std::filesystem;
using namespace std::string_view_literals;

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
constexpr std::string_view kVexo = R"(HKEY_CURRENT_USER\Software\Vexo)";
const std::string kServer =
    R"(HKEY_CLASSES_ROOT\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}\InprocServer32)";
const std::string kServerUpper =
    R"(HKEY_CLASSES_ROOT\CLSID\{D27CDB6E-AE6D-11CF-96B8-444553540000}\InprocServer32)";

Registry parsed(const std::string& body) {
    std::string error;
    auto registry = Registry::parse(kHeader + body, &error);
    EXPECT_TRUE(registry) << error;
    return registry.value_or(Registry{});
}

TEST(RegistryText, SerializesParentsSortedWithDefaultValueFirst) {
    Registry registry;
    registry.setValue(R"(hkey_current_user\Software\Vexo\Player)", "Zoom", 42u);
    registry.setValue(R"(HKEY_CURRENT_USER\SOFTWARE\VEXO\Player\)", "", "home");
    registry.setValue(R"(HKEY_CURRENT_USER\Software\Vexo Two)", "Name", "a\\b \"c\"");
    EXPECT_EQ(registry.serialize(),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER]\n\n"
              "[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Vexo]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Vexo\\Player]\n@=\"home\"\n\"Zoom\"=dword:0000002a\n\n"
              "[HKEY_CURRENT_USER\\Software\\Vexo Two]\n\"Name\"=\"a\\\\b \\\"c\\\"\"\n");
}

TEST(RegistryText, RoundTripsExactly) {
    Registry registry;
    registry.setValue(kServer, "", "/opt/vexo/lib/player.so");
    registry.setValue(kVexo, "@", "not the default");
    registry.setValue(kVexo, "Empty", "");
    registry.setValue(kVexo, "Max", 0xFFFFFFFFu);
    registry.setValue(kVexo, "Quote \"name\"\\", "tab\there\nline\r\nbreaks");
    registry.setValue(R"(HKEY_LOCAL_MACHINE\Software\Größe)", "Wert", "ä ; [x] =");
    registry.createKey(R"(HKEY_USERS\Empty\Leaf)");
    EXPECT_EQ(Registry::parse(registry.serialize()), registry);
}

TEST(RegistryText, AcceptsEditorVariants) {
    const std::string_view texts[] = {
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\"
        "Vexo]\r\n\"N\"=\"x\"\r\n",
        "REGEDIT4\n\n[hkey_current_user\\software\\vexo]\n\"n\"=\"x\"\n",
        "\n \nWindows Registry Editor Version 5.00 \n; "
        "note\n[HKEY_CURRENT_USER\\Software\\Vexo\\]\n"
        "  ; indented\n  \"N\" = \"x\"  \n",
    };
    for (std::string_view text : texts) {
        auto registry = Registry::parse(text);
        ASSERT_TRUE(registry) << text;
        EXPECT_EQ(registry->readString(kVexo, "N"), "x") << text;
    }
    EXPECT_EQ(Registry::parse("\n"), Registry{});
}

TEST(RegistryText, ReadsDwordsAndDefaultValues) {
    Registry registry = parsed(
        "[HKEY_CURRENT_USER\\Software\\Vexo]\n\"A\"=dword:0000002a\n\"B\"=dword:2A\n"
        "\"C\"=DWORD:ffffffff\n@=\"d\"\n\"@\"=\"at\"\n");
    EXPECT_EQ(registry.value(kVexo, "A"), RegistryValue(42u));
    EXPECT_EQ(registry.readString(kVexo, "B"), "42");
    EXPECT_EQ(registry.readString(kVexo, "C"), "4294967295");
    EXPECT_EQ(registry.readString(kVexo, ""), "d");
    EXPECT_EQ(registry.readString(kVexo, "@"), "at");
    EXPECT_EQ(registry.readString(kVexo, "Other"), std::nullopt);
}

TEST(RegistryText, RejectsMalformedText) {
    const std::string key = kHeader + "[HKEY_CURRENT_USER\\X]\n";
    const std::pair<std::string, std::string_view> cases[] = {
        {kHeader + "\"a\"=\"b\"", "line 3: value line outside a key"},
        {key + "\"a\"=\"b", "line 4: unterminated string"},
        {key + "\"a=\"b\"", "line 4: expected '=' after the value name"},
        {key + "\"a\"=\"c:\\temp\"", "line 4: bad escape '\\t'"},
        {key + "\"a\"=\"b\" c", "line 4: unexpected text after the string"},
        {key + "\"a\"=dword:", "line 4: bad dword ''"},
        {key + "\"a\"=dword:0000000001", "line 4: bad dword '0000000001'"},
        {key + "\"a\"=hex(2):00", "line 4: unknown value type 'hex(2)'"},
        {key + "\"a\"=42", "line 4: bad value data"},
        {key + "name=x", "line 4: unrecognised line"},
        {key + "[-HKEY_CURRENT_USER\\X]\n\"a\"=-", "line 5: value line outside a key"},
        {kHeader + "[HKEY_CURRENT_USER\\X", "line 3: unterminated key name"},
        {kHeader + "[HKCU\\X]", "line 3: unknown root key 'HKCU'"},
        {kHeader + "[HKEY_CURRENT_USER\\\\X]",
         "line 3: empty key name in 'HKEY_CURRENT_USER\\\\X'"},
        {"\r\n\r\nREGEDIT5\r\n", "line 3: missing 'Windows Registry Editor Version 5.00' header"},
        {std::string("\xFF\xFEW\0"sv), "line 1: UTF-16 text; the file must be UTF-8"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(Registry::parse(text, &error)) << text;
        EXPECT_EQ(error, expected) << text;
    }
}

TEST(RegistryNames, KeyPathsIgnoreAsciiCaseAndKeepFirstSpelling) {
    Registry registry = parsed("[" + kServer + "]\n@=\"a\"\n[" + kServerUpper + "]\n\"T\"=\"b\"\n");
    EXPECT_TRUE(registry.keyExists(kServerUpper + "\\"));
    EXPECT_EQ(registry.readString(kServerUpper, "t"), "b");
    EXPECT_EQ(registry, parsed("[" + kServer + "]\n@=\"a\"\n\"T\"=\"b\"\n"));
}

TEST(RegistryNames, ValueNamesIgnoreAsciiCaseAndKeepFirstSpelling) {
    Registry registry;
    registry.setValue(kVexo, "ThreadingModel", "Apartment");
    registry.setValue(kVexo, "THREADINGMODEL", "Both");
    EXPECT_EQ(registry.readString(kVexo, "threadingmodel"), "Both");
    EXPECT_EQ(registry, parsed("[HKEY_CURRENT_USER\\Software\\Vexo]\n\"ThreadingModel\"=\"Both\""));
    registry.setValue(kVexo, "Größe", 1u);
    EXPECT_FALSE(registry.value(kVexo, "GRÖSSE"));  // only ASCII letters fold
}

TEST(RegistryNames, RootKeysAlwaysExistAndOtherPathsAreIgnored) {
    Registry registry;
    EXPECT_TRUE(registry.keyExists("HKEY_USERS"));
    EXPECT_FALSE(registry.keyExists("HKEY_NOWHERE"));
    registry.setValue(R"(Software\Vexo)", "a", 1u);
    registry.createKey(R"(HKEY_CURRENT_USER\\Vexo)");
    registry.createKey("HKEY_CURRENT_USER\\Line\nBreak");
    EXPECT_EQ(registry, Registry{});
}

TEST(RegistryDelete, KeyDeletionTakesTheSubtreeOnly) {
    Registry registry = parsed(
        "[HKEY_CURRENT_USER\\Foo\\Bar]\n[HKEY_CURRENT_USER\\Foo Bar]\n[HKEY_CURRENT_USER\\Foobar]\n"
        "[-hkey_current_user\\FOO\\]\n[-HKEY_CURRENT_USER\\Missing]\n");
    EXPECT_EQ(registry, parsed("[HKEY_CURRENT_USER\\Foo Bar]\n[HKEY_CURRENT_USER\\Foobar]\n"));
    EXPECT_TRUE(registry.deleteKey("HKEY_CURRENT_USER\\foo bar"));
    EXPECT_FALSE(registry.deleteKey("HKEY_CURRENT_USER\\Foo Bar"));
}

TEST(RegistryDelete, ValueDeletion) {
    Registry registry = parsed(
        "[HKEY_CURRENT_USER\\Software\\Vexo]\n@=\"d\"\n\"A\"=\"1\"\n\"B\"=dword:2\n"
        "[HKEY_CURRENT_USER\\Software\\Vexo]\n@=-\n\"a\"=-\n\"Missing\"=-\n");
    EXPECT_EQ(registry.value(kVexo, ""), std::nullopt);
    EXPECT_EQ(registry.value(kVexo, "A"), std::nullopt);
    EXPECT_TRUE(registry.deleteValue(kVexo, "b"));
    EXPECT_FALSE(registry.deleteValue(kVexo, "B"));
    EXPECT_EQ(registry, parsed("[HKEY_CURRENT_USER\\Software\\Vexo]\n"));
}

std::string fileText(const fs::path& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

class RegistryFile : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.path().empty());
        sample_.setValue(kVexo, "Name", "x");
        std::ofstream(dir_ / "plain") << "not a directory";
    }

    static std::pair<Registry, std::string> loadCapturingStderr(const fs::path& path) {
        testing::internal::CaptureStderr();
        Registry registry = Registry::load(path);
        return {registry, testing::internal::GetCapturedStderr()};
    }

    test_support::TempDir temp_;
    fs::path dir_{temp_.path()};
    Registry sample_;
};

TEST_F(RegistryFile, SaveWritesTheTextAndCreatesDirectories) {
    fs::path path = dir_ / "a" / "b" / "registry.reg";
    ASSERT_TRUE(Registry{}.save(path));
    ASSERT_TRUE(sample_.save(path));
    EXPECT_EQ(fileText(path), sample_.serialize());
    EXPECT_EQ(std::distance(fs::directory_iterator(path.parent_path()), {}), 1);  // no temporary
    EXPECT_EQ(loadCapturingStderr(path), std::pair(sample_, std::string()));
}

TEST_F(RegistryFile, FailedSaveReturnsFalseAndLeavesNothingBehind) {
    EXPECT_FALSE(sample_.save(dir_ / "plain" / "registry.reg"));
    fs::create_directory(dir_ / "taken");
    EXPECT_FALSE(sample_.save(dir_ / "taken"));  // a file cannot be renamed over a directory
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2);
    EXPECT_EQ(fileText(dir_ / "plain"), "not a directory");
}

TEST_F(RegistryFile, MissingFileIsEmptyWithoutComplaint) {
    EXPECT_EQ(loadCapturingStderr(dir_ / "none.reg"), std::pair(Registry{}, std::string()));
}

TEST_F(RegistryFile, MalformedFileIsEmptyWithOneWarning) {
    fs::path path = dir_ / "registry.reg";
    std::ofstream(path) << kHeader << "[HKEY_CURRENT_USER\\X]\n\"a\"=\"b\n";
    std::string warning = "vexo: registry file " + path.string() +
                          " is malformed (line 4: unterminated string); treating it as empty\n";
    EXPECT_EQ(loadCapturingStderr(path), std::pair(Registry{}, warning));
}

TEST_F(RegistryFile, UnreadableFileIsEmptyWithOneWarning) {
    for (const fs::path& path : {dir_, dir_ / "plain" / "registry.reg"}) {
        auto [registry, warning] = loadCapturingStderr(path);
        EXPECT_EQ(registry, Registry{});
        EXPECT_TRUE(
            warning.starts_with("vexo: registry file " + path.string() + " is unreadable ("))
            << warning;
        EXPECT_TRUE(warning.ends_with("); treating it as empty\n")) << warning;
        EXPECT_EQ(std::ranges::count(warning, '\n'), 1);
    }
}

TEST_F(RegistryFile, APipeOrAnOversizedFileIsEmptyWithOneWarningWithoutWaiting) {
    const fs::path pipe = dir_ / "registry.reg";
    ASSERT_TRUE(test_support::makeFifo(pipe));
    std::pair<Registry, std::string> loaded;
    test_support::runWithoutWaiting([&] { loaded = loadCapturingStderr(pipe); });
    EXPECT_EQ(loaded, std::pair(Registry{}, "vexo: registry file " + pipe.string() +
                                                " is unreadable (not a regular file); treating "
                                                "it as empty\n"));

    const fs::path big = dir_ / "big.reg";
    std::ofstream(big) << kHeader << "[HKEY_CURRENT_USER\\X]\n";
    fs::resize_file(big, platform::kMaxRegistryFileSize + 1);
    auto [registry, warning] = loadCapturingStderr(big);
    EXPECT_EQ(registry, Registry{});
    EXPECT_EQ(warning, "vexo: registry file " + big.string() + " is unreadable (larger than " +
                           std::to_string(platform::kMaxRegistryFileSize) +
                           " bytes); treating it as empty\n");
}

// Links planted where a save might write: the file itself is replaced, not written through.
TEST_F(RegistryFile, ASaveNeverWritesThroughALink) {
    const fs::path path = dir_ / "registry.reg";
    fs::create_symlink(dir_ / "plain", path);
    ASSERT_TRUE(sample_.save(path));
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_EQ(fileText(path), sample_.serialize());
    EXPECT_EQ(fileText(dir_ / "plain"), "not a directory");
}

TEST(RegistryLocation, ComesFromTheEnvironment) {
    struct Case {
        const char* vexo;
        const char* xdg;
        std::string expected;
    };
    const Case cases[] = {
        {"/etc/vexo.reg", "/data", "/etc/vexo.reg"},
        {"", "/data", "/data/vexo/registry.reg"},
        {nullptr, "relative", "/home/u/.local/share/vexo/registry.reg"},
        {nullptr, nullptr, "/home/u/.local/share/vexo/registry.reg"},
    };
    auto set = [](const char* name, const char* value) {
        value ? setenv(name, value, 1) : unsetenv(name);
    };
    auto saved = [](const char* name) {
        const char* value = getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    auto vexo = saved("VEXO_REGISTRY"), xdg = saved("XDG_DATA_HOME"), home = saved("HOME");
    setenv("HOME", "/home/u", 1);
    for (const Case& c : cases) {
        set("VEXO_REGISTRY", c.vexo);
        set("XDG_DATA_HOME", c.xdg);
        EXPECT_EQ(platform::registryPath(), c.expected);
    }
    set("VEXO_REGISTRY", vexo ? vexo->c_str() : nullptr);
    set("XDG_DATA_HOME", xdg ? xdg->c_str() : nullptr);
    set("HOME", home ? home->c_str() : nullptr);
}

}  // namespace
