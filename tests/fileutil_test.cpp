#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "fileutil/copy_dir.h"
#include "fileutil/file_ops.h"
#include "fileutil/path_helpers.h"
#include "fileutil/settings_file.h"
#include "quillon/error.h"
#include "test_support.h"

namespace quillon::pub {
namespace {
namespace fs = std::filesystem;

TEST(PathText, SplitsOnEitherSeparatorAndTrimsPadding) {
  EXPECT_EQ(GetFileNameNoPath("x\\y/报告.xml"), "报告.xml");
  EXPECT_EQ(GetFileNameNoPath("x/y\\"), "y");
  EXPECT_EQ(GetFileNameNoPath("plain"), "plain");
  EXPECT_EQ(GetFileNameNoExt("dir.d/a.b.c"), "dir.d/a.b");
  EXPECT_EQ(GetFileNameNoExt("noext"), "");
  EXPECT_EQ(ExtractFilePath("x\\y\\z.xml"), "x\\y\\");
  EXPECT_EQ(ExtractFilePath("/a\\b/z.xml"), "/a\\b/");
  EXPECT_EQ(ExtractFilePath("z.xml"), "");
  EXPECT_EQ(TrimZero(std::string("abc  \0\0\0", 8)), "abc");
  EXPECT_EQ(TrimZero(std::string("a\0 b", 4)), "a");
  EXPECT_EQ(TrimZero(" a\t"), " a\t");
  EXPECT_EQ(TrimZero("   "), "");
}

// Every test works in a folder of its own below the system's temporary folder.
class FileUtilFs : public ::testing::Test {
 protected:
  std::string At(const std::string& rel) const { return (dir_.path() / rel).string(); }
  void Write(const std::string& rel, const std::string& text) const {
    fs::create_directories(fs::path(At(rel)).parent_path());
    std::ofstream(At(rel), std::ios::binary) << text;
  }
  std::string Read(const std::string& rel) const {
    std::ifstream in(At(rel), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  bool Gone(const std::string& rel) const { return !fs::exists(fs::symlink_status(At(rel))); }
  test::TempDir dir_;
  const std::string root_ = dir_.path().string();
};

TEST_F(FileUtilFs, FileExistsAndDelFile) {
  Write("f.txt", "x");
  EXPECT_TRUE(FileExists(At("f.txt")));
  EXPECT_TRUE(FileExists(root_));
  EXPECT_FALSE(FileExists(At("missing")));
  EXPECT_FALSE(FileExists(At("f.txt/below")));
  // A failure other than "not found" counts as present.
  fs::create_symlink(At("loop2"), At("loop1"));
  fs::create_symlink(At("loop1"), At("loop2"));
  EXPECT_TRUE(FileExists(At("loop1")));

  fs::permissions(At("f.txt"), fs::perms::owner_read);
  EXPECT_EQ(DelFile(At("f.txt")), "");
  EXPECT_TRUE(Gone("f.txt"));
  EXPECT_EQ(DelFile(At("missing.doc")), At("missing.doc"));
  fs::create_directory(At("folder"));
  EXPECT_EQ(DelFile(At("folder")), At("folder"));
  EXPECT_TRUE(fs::is_directory(At("folder")));
  Write("target.doc", "keep");
  fs::create_symlink(At("target.doc"), At("link.doc"));
  EXPECT_EQ(DelFile(At("link.doc")), "");
  EXPECT_TRUE(Gone("link.doc"));
  EXPECT_EQ(Read("target.doc"), "keep");
}

TEST_F(FileUtilFs, DirExistsBaseRebuildsAndCreates) {
  EXPECT_EQ(DirExists_Base(root_ + "\\a\\b\\", false), root_ + "/a/b");
  EXPECT_FALSE(fs::exists(At("a")));
  EXPECT_EQ(DirExists_Base("/a", false), "/a");
  EXPECT_EQ(DirExists_Base("rel/x/", false), "rel/x");
  EXPECT_EQ(DirExists_Base(root_ + "/a\\项目/c/", true), root_ + "/a/项目/c");
  EXPECT_TRUE(fs::is_directory(At("a/项目/c")));
  EXPECT_EQ(DirExists_Base(root_ + "/a/项目/c", true), root_ + "/a/项目/c");
  Write("file", "x");
  EXPECT_THROW(DirExists_Base(root_ + "/file/sub", true), Error);
}

TEST_F(FileUtilFs, CopyFileCopiesOnlyRegularFiles) {
  Write("a.pdf", "new");
  Write("b.pdf", "old");
  EXPECT_FALSE(CopyFile(At("a.pdf"), At("b.pdf"), true));
  EXPECT_EQ(Read("b.pdf"), "old");
  EXPECT_TRUE(CopyFile(At("a.pdf"), At("b.pdf"), false));
  EXPECT_EQ(Read("b.pdf"), "new");
  EXPECT_TRUE(CopyFile(At("a.pdf"), At("c.pdf"), true));
  fs::permissions(At("c.pdf"), fs::perms::owner_read);  // replaced, as the import expects
  Write("a.pdf", "newer");
  EXPECT_TRUE(CopyFile(At("a.pdf"), At("c.pdf"), false));
  EXPECT_EQ(Read("c.pdf"), "newer");
  fs::create_symlink(At("a.pdf"), At("link.pdf"));
  ASSERT_EQ(::mkfifo(At("pipe.pdf").c_str(), 0600), 0);
  for (const std::string from : {At("none.pdf"), root_, At("link.pdf"), At("pipe.pdf")})
    EXPECT_FALSE(CopyFile(from, At("d.pdf"), false)) << from;
  EXPECT_TRUE(Gone("d.pdf"));
  EXPECT_FALSE(CopyFile(At("a.pdf"), At("missing/e.pdf"), false));
  // Copies are written under a temporary name and renamed: none is left.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(root_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.pdf", "b.pdf", "c.pdf", "link.pdf", "pipe.pdf"}));
}

TEST_F(FileUtilFs, CopyDirCopiesTreeButNoLinks) {
  Write("src/附件/a.txt", "A");
  Write("src/附件/sub/b.txt", "B");
  Write("secret/key", "S");
  fs::create_symlink(At("secret/key"), At("src/附件/key"));
  fs::create_directory_symlink(At("secret"), At("src/附件/secretdir"));
  fs::create_directory_symlink(At("secret"), At("src/linked"));
  Write("dst/附件/a.txt", "old");
  fs::permissions(At("dst/附件/a.txt"), fs::perms::owner_read);
  CopyDir(At("src/附件/"), At("dst"));
  EXPECT_EQ(Read("dst/附件/a.txt") + Read("dst/附件/sub/b.txt"), "AB");
  EXPECT_TRUE(Gone("dst/附件/key") && Gone("dst/附件/secretdir"));
  CopyDir(At("src/附件"), At("new/deeper"));
  EXPECT_EQ(Read("new/deeper/附件/sub/b.txt"), "B");
  CopyDir(At("src/linked"), At("dst"));
  CopyDir(At("src/missing"), At("dst"));
  CopyDir(At("src"), At("src/附件"));  // would recurse without end
  EXPECT_TRUE(Gone("dst/linked") && Gone("dst/missing") && Gone("src/附件/src"));
}

TEST_F(FileUtilFs, ProfileString) {
  Write("SysUser.ini",
        "\xEF\xBB\xBF; settings\r\n[Other]\r\nProjectPath=wrong\r\n[ appinfo ]\r\n#ProjectPath=commented\r\n"
        "  projectpath =  /数据/项目/  \r\nEmpty=\r\nNoEquals\r\n");
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"AppInfo", "ProjectPath", "/数据/项目/"},
      {"OTHER", "projectPATH", "wrong"},
      {"AppInfo", "Empty", ""},
      {"AppInfo", "NoEquals", "d"},
      {"AppInfo", "Missing", "d"},
      {"Nowhere", "ProjectPath", "d"}};
  for (const auto& [section, key, value] : cases)
    EXPECT_EQ(GetPrivateProfileString(section, key, "d", At("SysUser.ini")), value) << section << key;
  EXPECT_EQ(GetPrivateProfileString("AppInfo", "ProjectPath", "d", At("none.ini")), "d");
}

}  // namespace
}  // namespace quillon::pub
