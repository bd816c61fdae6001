#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "fileutil/copy_dir.h"
#include "fileutil/file_ops.h"
#include "fileutil/path_helpers.h"
#include "fileutil/path_list.h"
#include "fileutil/settings_file.h"
#include "quillon/error.h"

namespace quillon::pub {
namespace {
namespace fs = std::filesystem;

const std::string S(kListSeparator);

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Every test works in a folder of its own below the system's temporary folder.
class FileUtilFs : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    root_ = fs::temp_directory_path() /
            ("quillon_fileutil_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string At(const std::string& rel) const { return (root_ / rel).string(); }
  void Write(const std::string& rel, const std::string& text) const {
    fs::create_directories(fs::path(At(rel)).parent_path());
    std::ofstream(At(rel), std::ios::binary) << text;
  }
  fs::path root_;
};

TEST(PathText, SplitsOnEitherSeparator) {
  EXPECT_EQ(GetFileNameNoPath("x\\y/报告.xml"), "报告.xml");
  EXPECT_EQ(GetFileNameNoPath("x/y\\"), "y");
  EXPECT_EQ(GetFileNameNoPath("plain"), "plain");
  EXPECT_EQ(GetFileNameNoExt("dir.d/a.b.c"), "dir.d/a.b");
  EXPECT_EQ(GetFileNameNoExt("noext"), "");
  EXPECT_EQ(ExtractFilePath("x\\y\\z.xml"), "x\\y\\");
  EXPECT_EQ(ExtractFilePath("/a\\b/z.xml"), "/a\\b/");
  EXPECT_EQ(ExtractFilePath("z.xml"), "");
}

TEST(PathText, TrimZeroCutsPaddingOnly) {
  EXPECT_EQ(TrimZero(std::string("abc  \0\0\0", 8)), "abc");
  EXPECT_EQ(TrimZero(std::string("a\0 b", 4)), "a");
  EXPECT_EQ(TrimZero(" a\t"), " a\t");
  EXPECT_EQ(TrimZero("   "), "");
}

TEST(PathList, Counts) {
  EXPECT_EQ(CountFilesInList(""), 1);
  EXPECT_EQ(CountFilesInList("A" + S + "B" + S + "C"), 3);
  EXPECT_EQ(CountFilesInList(S + "A" + S + "B" + S + "C"), 3);
  EXPECT_EQ(CountFilesInList("A" + S + "B" + S), 2);
  // U+00BF and U+00E9 share bytes with the separator but are not separators.
  EXPECT_EQ(CountFilesInList("¿é" + S + "x"), 2);
}

TEST(PathList, PicksItems) {
  const std::string list = "AB" + S + "CD" + S + "EF";
  EXPECT_EQ(GetFileFromList(list, 1), "AB");
  EXPECT_EQ(GetFileFromList(list, 2), "CD");
  EXPECT_EQ(GetFileFromList(S + list, 3), "EF");
  EXPECT_EQ(GetFileFromList("whole", 7), "whole");
  EXPECT_EQ(GetFileFromList("ABC" + S, 2), "");
  EXPECT_EQ(GetFileFromList("é¿" + S + "甲乙", 2), "甲乙");
}

TEST(PathList, ShortListsGiveNothingAndMissingItemsThrow) {
  EXPECT_EQ(GetFileFromList("A" + S + "B", 1), "");
  EXPECT_EQ(GetFileFromList("A" + S + "B", 9), "");
  // Four characters but ten bytes: still short.
  EXPECT_EQ(GetFileFromList("甲" + S + "乙", 2), "");
  const std::string list = "AB" + S + "CD";
  for (const int16_t n : {int16_t{0}, int16_t{3}, int16_t{-1}}) {
    try {
      GetFileFromList(list, n);
      ADD_FAILURE() << "no error for item " << n;
    } catch (const Error& e) {
      EXPECT_EQ(e.description(), "Invalid procedure call or argument");
    }
  }
}

TEST_F(FileUtilFs, FileExists) {
  Write("f.txt", "x");
  EXPECT_TRUE(FileExists(At("f.txt")));
  EXPECT_TRUE(FileExists(root_.string()));
  EXPECT_FALSE(FileExists(At("missing")));
  EXPECT_FALSE(FileExists(At("missing/f.txt")));
  EXPECT_FALSE(FileExists(At("f.txt/below")));
  EXPECT_FALSE(FileExists(""));
  // A failure other than "not found" counts as present.
  fs::create_symlink(At("loop2"), At("loop1"));
  fs::create_symlink(At("loop1"), At("loop2"));
  EXPECT_TRUE(FileExists(At("loop1")));
}

TEST_F(FileUtilFs, DirExistsBaseRebuildsAndCreates) {
  const std::string base = root_.string();
  EXPECT_EQ(DirExists_Base(base + "\\a\\b\\", false), base + "/a/b");
  EXPECT_FALSE(fs::exists(At("a")));
  EXPECT_EQ(DirExists_Base("/a/b", false), "/a/b");
  EXPECT_EQ(DirExists_Base("/a", false), "/a");
  EXPECT_EQ(DirExists_Base("rel/x/", false), "rel/x");

  EXPECT_EQ(DirExists_Base(base + "/a\\项目/c/", true), base + "/a/项目/c");
  EXPECT_TRUE(fs::is_directory(At("a/项目/c")));
  EXPECT_EQ(DirExists_Base(base + "/a/项目/c", true), base + "/a/项目/c");

  Write("file", "x");
  try {
    DirExists_Base(base + "/file/sub", true);
    ADD_FAILURE() << "no error for a file in the way";
  } catch (const Error& e) {
    EXPECT_FALSE(e.description().empty());
  }
}

TEST_F(FileUtilFs, DelFile) {
  Write("ro.doc", "x");
  fs::permissions(At("ro.doc"), fs::perms::owner_read);
  EXPECT_EQ(DelFile(At("ro.doc")), "");
  EXPECT_FALSE(fs::exists(At("ro.doc")));

  EXPECT_EQ(DelFile(At("missing.doc")), At("missing.doc"));
  fs::create_directory(At("folder"));
  EXPECT_EQ(DelFile(At("folder")), At("folder"));
  EXPECT_TRUE(fs::is_directory(At("folder")));

  Write("target.doc", "keep");
  fs::create_symlink(At("target.doc"), At("link.doc"));
  EXPECT_EQ(DelFile(At("link.doc")), "");
  EXPECT_FALSE(fs::exists(fs::symlink_status(At("link.doc"))));
  EXPECT_EQ(Read(At("target.doc")), "keep");
}

TEST_F(FileUtilFs, CopyFile) {
  Write("a.pdf", "new");
  Write("b.pdf", "old");
  EXPECT_FALSE(CopyFile(At("a.pdf"), At("b.pdf"), true));
  EXPECT_EQ(Read(At("b.pdf")), "old");
  EXPECT_TRUE(CopyFile(At("a.pdf"), At("b.pdf"), false));
  EXPECT_EQ(Read(At("b.pdf")), "new");
  EXPECT_TRUE(CopyFile(At("a.pdf"), At("文档.pdf"), true));
  EXPECT_EQ(Read(At("文档.pdf")), "new");
  EXPECT_FALSE(CopyFile(At("none.pdf"), At("c.pdf"), false));
  EXPECT_FALSE(CopyFile(root_.string(), At("c.pdf"), false));
  fs::create_symlink(At("a.pdf"), At("link.pdf"));
  EXPECT_FALSE(CopyFile(At("link.pdf"), At("c.pdf"), false));
  EXPECT_FALSE(fs::exists(At("c.pdf")));
}

TEST_F(FileUtilFs, CopyDirCopiesTreeButNoLinks) {
  Write("src/附件/a.txt", "A");
  Write("src/附件/sub/b.txt", "B");
  Write("secret/key", "S");
  fs::create_symlink(At("secret/key"), At("src/附件/key"));
  fs::create_directory_symlink(At("secret"), At("src/附件/secretdir"));
  Write("dst/附件/a.txt", "old");
  fs::permissions(At("dst/附件/a.txt"), fs::perms::owner_read);

  CopyDir(At("src/附件/"), At("dst"));
  EXPECT_EQ(Read(At("dst/附件/a.txt")), "A");
  EXPECT_EQ(Read(At("dst/附件/sub/b.txt")), "B");
  EXPECT_FALSE(fs::exists(fs::symlink_status(At("dst/附件/key"))));
  EXPECT_FALSE(fs::exists(fs::symlink_status(At("dst/附件/secretdir"))));

  CopyDir(At("src/附件"), At("new/deeper"));
  EXPECT_EQ(Read(At("new/deeper/附件/sub/b.txt")), "B");

  fs::create_directory_symlink(At("secret"), At("src/linked"));
  CopyDir(At("src/linked"), At("dst"));
  EXPECT_FALSE(fs::exists(At("dst/linked")));
  CopyDir(At("src/missing"), At("dst2"));
  EXPECT_FALSE(fs::exists(At("dst2")));
  CopyDir(At("src"), At("src/附件"));  // would recurse without end
  EXPECT_FALSE(fs::exists(At("src/附件/src")));
}

TEST_F(FileUtilFs, ProfileString) {
  Write("SysUser.ini",
        "\xEF\xBB\xBF; settings\r\n[Other]\r\nProjectPath=wrong\r\n"
        "[ appinfo ]\r\n#ProjectPath=commented\r\n  projectpath =  /数据/项目/ "
        " \r\n"
        "Empty=\r\nNoEquals\r\n");
  const auto ini = At("SysUser.ini");
  EXPECT_EQ(GetPrivateProfileString("AppInfo", "ProjectPath", "d", ini), "/数据/项目/");
  EXPECT_EQ(GetPrivateProfileString("OTHER", "projectPATH", "d", ini), "wrong");
  EXPECT_EQ(GetPrivateProfileString("AppInfo", "Empty", "d", ini), "");
  EXPECT_EQ(GetPrivateProfileString("AppInfo", "NoEquals", "d", ini), "d");
  EXPECT_EQ(GetPrivateProfileString("AppInfo", "Missing", "d", ini), "d");
  EXPECT_EQ(GetPrivateProfileString("Nowhere", "ProjectPath", "d", ini), "d");
  EXPECT_EQ(GetPrivateProfileString("AppInfo", "ProjectPath", "d", At("none.ini")), "d");
}

}  // namespace
}  // namespace quillon::pub
