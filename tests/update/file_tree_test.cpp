#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/update/update_fixture.h"
#include "update/install/file_tree.h"

namespace update_test {
namespace {

namespace fs = std::filesystem;
using test_support::readFile;
using test_support::writeFile;
using Tree = std::vector<std::pair<std::string, std::string>>;

class FileTreeTest : public test_support::LoggedTest {
  protected:
    std::string at(const std::string& name) const { return dir_.file(name); }
    test_support::TempDir dir_;
};

TEST_F(FileTreeTest, TheSkipNameAppliesToTheTopFolderOnly) {
    fs::create_directories(at("from/sub/deeper"));
    writeFile(at("from/skip.exe"), "top");
    writeFile(at("from/sub/skip.exe"), "nested");
    writeFile(at("from/sub/deeper/f"), "f");
    ASSERT_TRUE(update::copyDirectory(at("from"), at("to"), "skip.exe"));
    EXPECT_EQ(treeOf(at("to")), (Tree{{"sub/deeper/f", "f"}, {"sub/skip.exe", "nested"}}));
    ASSERT_TRUE(update::deleteFiles(at("from"), "skip.exe"));
    EXPECT_EQ(treeOf(at("from")), (Tree{{"skip.exe", "top"}}));
    EXPECT_TRUE(fs::is_directory(at("from/sub/deeper"))) << "folders are never removed";
    EXPECT_TRUE(update::copyDirectory(at("nothing"), at("to"), "")) << "nothing to copy";
}

TEST_F(FileTreeTest, CopiesKeepModesAndLeaveNoTemporaryFiles) {
    fs::create_directories(at("from"));
    fs::create_directories(at("to"));
    writeFile(at("from/tool"), "#!/bin/sh\n");
    ::chmod(at("from/tool").c_str(), 0750);
    writeFile(at("to/tool"), "old");
    ASSERT_TRUE(update::copyDirectory(at("from"), at("to"), ""));
    struct stat info {};
    ASSERT_EQ(::stat(at("to/tool").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0750u);
    EXPECT_EQ(treeOf(at("to")), (Tree{{"tool", "#!/bin/sh\n"}}));
}

TEST_F(FileTreeTest, LinksAreNeitherFollowedNorDeleted) {
    fs::create_directories(at("from"));
    fs::create_directories(at("secret"));
    writeFile(at("secret/key"), "private");
    fs::create_symlink(at("secret/key"), at("from/link"));
    fs::create_directory_symlink(at("secret"), at("from/dirlink"));
    ASSERT_TRUE(update::copyDirectory(at("from"), at("to"), ""));
    EXPECT_TRUE(treeOf(at("to")).empty());
    ASSERT_TRUE(update::deleteFiles(at("from"), ""));
    EXPECT_EQ(readFile(at("secret/key")), "private");
}

TEST_F(FileTreeTest, ReplacingFailsCleanlyWhereAFolderStands) {
    fs::create_directories(at("target/inside"));
    writeFile(at("source"), "new");
    EXPECT_FALSE(update::replaceFile(at("source"), at("target")));
    EXPECT_TRUE(fs::is_directory(at("target/inside")));
    EXPECT_EQ(treeOf(dir_.path()), (Tree{{"source", "new"}})) << "no temporary file is left";
    EXPECT_FALSE(update::replaceFile(at("missing"), at("other")));
    EXPECT_FALSE(fs::exists(at("other")));
}

}  // namespace
}  // namespace update_test
