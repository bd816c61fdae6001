// The tree import: renumbering and re-linking, the placement under the
// caller's node, the document files, the library's name rule, and packages
// that try to reach outside their folders or into other rows.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "component/session_access.h"
#include "import/tree_import.h"
#include "test_support.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

std::string node(int id, int parent, int layer, int type, const std::string& name, int bs = 0) {
  return fmt::format(
      "<Record><NODE_ID>{}</NODE_ID><NODE_NAME>{}</NODE_NAME><PROJECT_ID>1</PROJECT_ID><LAYER_ID>{}</"
      "LAYER_ID>"
      "<PARENT_NOED_ID>{}</PARENT_NOED_ID><TYPE_ID>{}</TYPE_ID><STS>V</STS><BS_NODE_ID>{}</BS_NODE_ID>"
      "<RESOURCE_ID>21</RESOURCE_ID><PROJECT_TYPE>1</PROJECT_TYPE></Record>",
      id, name, layer, parent, type, bs);
}

class ImportTreeTest : public HomeTest {
 protected:
  void SetUp() override {
    HomeTest::SetUp();
    source = dir.path() / "in" / "";
    documents = dir.path() / "docs" / "";
    fs::create_directories(source);
  }
  void load(const std::string& table, const std::string& records) {
    const auto file = dir.path() / "package.xml";
    std::ofstream(file, std::ios::binary) << fmt::format("<Table><{0}>\r{1}</{0}></Table>", table, records);
    package.emplace(file);
  }
  void file(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }
  void run(std::int16_t ori, bool replaceOld = false) {
    importing::TreeImport(sessionOf(*obj), *package, {documents.string(), "42", 4})
        .inputTreeFromXml(ori, ori == 1 ? 1 : 21, source.string(), replaceOld);
  }
  void runBid() {
    importing::TreeImport(sessionOf(*obj), *package, {"", "42", 4})
        .inputTreeFromXmlEx(1, 1, source.string(), false);
  }
  std::optional<importing::Package> package;
  fs::path source, documents;
};

TEST_F(ImportTreeTest, ProjectTreeIsRenumberedHungUnderTheCallerAndGetsItsFiles) {
  exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (100, 58)");
  std::string records = node(5, 1, 2, 2, "Doc", 9);
  for (int id = 6; id <= 20; ++id)
    records += node(id, id == 8 ? 7 : 5, id == 8 ? 4 : 3, id == 9 ? 8 : 3, "n");
  load("T_PROJECT_TREE", records);
  file(source / "Doc.doc", "word");
  file(source / "合并标书.PDF", "merged");
  file(source / "附件" / "a.txt", "attached");
  file(source / "n9.PDF", "drawing");
  run(1);
  EXPECT_EQ(rows("select min(NODE_ID), max(NODE_ID), count(*) from T_PROJECT_TREE where PROJECT_ID = 59"),
            Rows{"101|116|16"});
  EXPECT_EQ(rows("select NODE_ID, PARENT_NOED_ID, LAYER_ID, BS_NODE_ID from T_PROJECT_TREE "
                 "where NODE_ID in (101, 102, 104) order by 1"),
            (Rows{"101|42|5|105", "102|101|6|0", "104|103|7|0"}));
  const fs::path folder = documents / "Doc101";
  EXPECT_EQ(fs::file_size(folder / "Doc.doc"), 4u);
  EXPECT_TRUE(fs::exists(folder / "合并标书.PDF"));
  EXPECT_TRUE(fs::exists(folder / "附件" / "a.txt"));
  EXPECT_TRUE(fs::exists(folder / "n105.PDF"));
}

TEST_F(ImportTreeTest, HostileNamesAndLinksStayInsideTheirFolders) {
  exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (100, 58)");
  load("T_PROJECT_TREE", node(5, 1, 2, 2, "../../evil") + node(6, 5, 3, 8, "/etc/passwd"));
  file(dir.path() / "secret" / "key", "S");
  fs::create_directory_symlink(dir.path() / "secret", source / "附件");
  fs::create_symlink(dir.path() / "secret" / "key", source / ".._.._evil.doc");
  run(1);
  // The row keeps the package's name; the folder is one component of it.
  EXPECT_EQ(scalar("select NODE_NAME from T_PROJECT_TREE where NODE_ID = 101"), "../../evil");
  const fs::path folder = documents / ".._.._evil101";
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(fs::is_empty(folder));  // neither the linked folder nor the linked file
  EXPECT_FALSE(fs::exists(dir.path() / "evil101"));
  std::size_t entries = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir.path()))
    entries += e.path().string().find("evil") != std::string::npos;
  EXPECT_EQ(entries, 2u);  // the folder and the link placed above
}

TEST_F(ImportTreeTest, NoPackageNameMakesAPathOutsideTheDocumentFolders) {
  exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (100, 58)");
  const auto everything = [&] {
    std::set<std::string> paths;
    for (const auto& e : fs::recursive_directory_iterator(dir.path())) paths.insert(e.path().string());
    return paths;
  };
  for (const std::string name : {"..", ".", "", "..\\..\\x", "/tmp/abs", "a/../../b", "tab\tname"}) {
    file(source / (name + ".PDF"), "pdf");  // where the name lands inside the package's folder
    load("T_PROJECT_TREE", node(5, 1, 2, 2, name) + node(6, 5, 3, 8, name));
    const auto before = everything();
    run(1);
    runBid();
    for (const auto& path : everything())
      if (!before.count(path))
        EXPECT_TRUE(path.rfind((dir.path() / "docs").string(), 0) == 0 ||
                    path.rfind((dir.path() / "Projects").string(), 0) == 0)
            << "'" << name << "' made " << path;
  }
  EXPECT_FALSE(fs::exists("/tmp/abs101"));
}

TEST_F(ImportTreeTest, BidImportMovesTheTenderUnderItsBidBesideTheSections) {
  exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (100, 58)");
  load("T_PROJECT_TREE", node(5, 1, 2, 2, "Doc") + node(6, 5, 3, 9, "招标文件") + node(7, 6, 4, 3, "n") +
                             node(8, 5, 3, 8, "drawing"));
  for (const char* name : {"Doc.PDF", "Doc.DOC", "Doc.doc", "附件/a.txt"}) file(source / name, name);
  // The projects folder comes from the installation's settings.
  const fs::path folder = dir.path() / "Projects" / "101";
  file(folder / "101.PDF", "stale");
  runBid();
  EXPECT_EQ(rows("select NODE_ID, NODE_NAME, PARENT_NOED_ID, LAYER_ID, TYPE_ID, NODE_ORDER, PROJECT_ID "
                 "from T_PROJECT_TREE where NODE_ID > 100 order by 1"),
            (Rows{"101|Doc|42|5|2|0|59", "102|标书|105|7|31|0|59", "103|n|102|7|3|0|59",
                  "104|drawing|101|7|8|0|59", "105|投标书|101|6|9|0|59", "106|投标关键信息|105|7|20|0|59",
                  "107|附件|105|7|14|100|59", "108|投标一览表|106|8|21|1|59", "109|评分信息表|106|8|21|2|59",
                  "110|符合性检查表|106|8|21|3|59"}));
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    files.push_back(fs::relative(e.path(), folder).string());
  std::ranges::sort(files);
  EXPECT_EQ(files, (Rows{"Doc.DOC", "Doc.PDF", "附件", "附件/a.txt"}));
}

TEST_F(ImportTreeTest, BidSectionsFollowTheLastTenderRootAndOnlyAnExistingOne) {
  exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (100, 58)");
  load("T_PROJECT_TREE", node(5, 1, 1, 9, "a") + node(6, 1, 1, 9, "b"));
  runBid();
  EXPECT_EQ(rows("select NODE_ID, NODE_NAME, PARENT_NOED_ID, TYPE_ID from T_PROJECT_TREE "
                 "where NODE_ID in (101, 102, 103) order by 1"),
            (Rows{"101|标书|0|9", "102|标书|103|31", "103|投标书|0|9"}));  // parent 1 is not the package's
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE where NODE_ID > 100"), "8");

  load("T_PROJECT_TREE", node(5, 1, 1, 3, "plain"));
  runBid();
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE where NODE_ID > 100"), "9");
}

TEST_F(ImportTreeTest, LibraryNamesAreMadeFreeOrTheOldOnesInvalidatedAndNothingElse) {
  exec(
      "insert into T_RESOURCE_TREE(NODE_ID, RESOURCE_ID, NODE_NAME, TYPE_ID, PROJECT_TYPE, STS) values "
      "(1, 79, 'x'' OR 1=1 --', 9, 1, 'V'), (2, 79, 'other', 9, 1, 'V'), (3, 79, 'x'' OR 1=1 --', 9, 2, "
      "'V')");
  load("T_RESOURCE_TREE", node(5, 1, 1, 9, "x&apos; OR 1=1 --") + node(6, 5, 2, 3, "child"));
  run(2);
  const auto renamed = scalar("select NODE_NAME from T_RESOURCE_TREE where NODE_ID = 4");
  EXPECT_EQ(renamed.rfind("x' OR 1=1 --(", 0), 0u) << renamed;
  EXPECT_NE(renamed.find("导入)"), std::string::npos) << renamed;
  EXPECT_EQ(
      rows("select NODE_ID, PARENT_NOED_ID, RESOURCE_ID from T_RESOURCE_TREE where NODE_ID > 3 order by 1"),
      (Rows{"4|1|80", "5|4|80"}));

  load("T_RESOURCE_TREE", node(5, 1, 1, 9, "x&apos; OR 1=1 --"));
  run(2, true);
  EXPECT_EQ(rows("select NODE_ID, STS from T_RESOURCE_TREE where NODE_ID <= 3 or NODE_ID = 6 order by 1"),
            (Rows{"1|I", "2|V", "3|V", "6|V"}));
  EXPECT_EQ(scalar("select NODE_NAME from T_RESOURCE_TREE where NODE_ID = 6"), "x' OR 1=1 --");
}

}  // namespace
}  // namespace quillon::test
