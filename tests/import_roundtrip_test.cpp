// Packages between two installations: what one exports, the other imports
// with the same shape; and packages that must be refused before anything is
// written.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli_support.h"
#include "quillon/error.h"
#include "quillon/setup.h"
#include "test_support.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

class ImportRoundTrip : public HomeTest {
 protected:
  void SetUp() override {
    open(true);
    initializeHome(other.path(), InitOptions{});
    target = std::make_unique<DBFunc>(targetHost, other.path());
    ASSERT_TRUE(target->connected());
    // The roots an installation in use has: owner 0 on each side. Without
    // any owner the reservation has nothing to count from and refuses.
    ASSERT_TRUE(
        target->ExecuteSql("insert into T_RESOURCE_TREE(NODE_ID, RESOURCE_ID, LAYER_ID, TYPE_ID) "
                           "values (1, 0, 1, 1)"));
    ASSERT_TRUE(
        target->ExecuteSql("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID, LAYER_ID, TYPE_ID) "
                           "values (1, 0, 1, 9)"));
  }
  Rows targetRows(const std::string& sql) { return rowsOf(*target, sql); }
  std::string count(const std::string& sql) { return targetRows("select count(*) from " + sql).at(0); }

  TempDir other;
  RecordingHost targetHost;
  std::unique_ptr<DBFunc> target;
};

// The shape of a project's document: names, order and the parent's name,
// by layer below the document node (what lies above it is the sender's own).
constexpr const char* kShape =
    "select c.LAYER_ID - d.LAYER_ID, c.NODE_NAME, c.NODE_ORDER, c.TYPE_ID, c.STS, "
    "coalesce(p.NODE_NAME, '-') from T_PROJECT_TREE c join T_PROJECT_TREE d on d.PROJECT_ID = c.PROJECT_ID "
    "and d.TYPE_ID = 2 left join T_PROJECT_TREE p on p.NODE_ID = c.PARENT_NOED_ID and p.PROJECT_ID = "
    "c.PROJECT_ID where c.PROJECT_ID = {} and c.LAYER_ID > d.LAYER_ID and c.TYPE_ID <> 9 order by c.NODE_ID";

// The caller's paths separate folders with a backslash as well as "/".
TEST_F(ImportRoundTrip, ATenderDocumentComesBackWithItsRowsAndFiles) {
  ASSERT_TRUE(obj->EduceBs(1, dir.path().string() + "/out\\plan.dat", ""));
  const fs::path package = dir.path() / "out" / "plan" / "plan.xml";
  const std::string docName =
      scalar("select NODE_NAME from T_PROJECT_TREE where PROJECT_ID = 1 and TYPE_ID = 2");
  std::ofstream(package.parent_path() / (docName + ".doc")) << "the document";

  target->InputBsPath = (other.path() / "Projects").string() + "\\";
  target->vNew_PARENT_NOED_ID = "0";
  target->PARENT_LAYER_ID = 0;
  const Value project = target->InputBs(dir.path().string() + "/out\\plan\\plan.xml", false);
  ASSERT_FALSE(project.isEmpty()) << target->lastError();
  const auto id = project.toText();
  EXPECT_EQ(id, "2");  // the placeholder took 1

  EXPECT_EQ(targetRows(fmt::format(kShape, id)), rows(fmt::format(kShape, 1)));
  // The package holds every row of a project but only its live scoring items.
  for (const std::string table :
       {"T_ACCORDED_CHECK", "T_GRADE_INGREDIENT", "TJ_OPEN_BID_DETAILS", "TJ_PROCUREMENT_PROJECT"}) {
    const std::string live = table == "T_GRADE_INGREDIENT" ? " and STS = 'V'" : "";
    EXPECT_EQ(count(table + " where PROJECT_ID = " + id),
              scalar("select count(*) from " + table + " where PROJECT_ID = 1" + live))
        << table;
  }
  // Every factor still points at an item of the project, every rule at a factor.
  EXPECT_EQ(count("T_GRADE_INGREDIENT_DETAIL d where not exists (select 1 from T_GRADE_INGREDIENT i where "
                  "i.GRADE_ITEM_ID = d.GRADE_ITEM_ID and i.PROJECT_ID = " +
                  id + ")"),
            "0");
  EXPECT_EQ(count("T_AUTO_GRADE_DETAILS r where not exists (select 1 from T_GRADE_INGREDIENT_DETAIL d "
                  "where d.INGREDIENT_ID = r.INGREDIENT_ID)"),
            "0");
  EXPECT_NE(count("T_AUTO_GRADE_DETAILS"), "0");
  const auto node = targetRows("select NODE_ID from T_PROJECT_TREE where TYPE_ID = 2 and PROJECT_ID = " + id);
  std::ifstream copied(other.path() / "Projects" / (docName + node.at(0)) / (docName + ".doc"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "the document");
}

TEST_F(ImportRoundTrip, ABidStartsFromTheSameRowsAsATenderWithItsSections) {
  const fs::path out = dir.path() / "out" / "plan.dat";
  ASSERT_TRUE(obj->EduceBs(1, out.string(), ""));
  const fs::path package = dir.path() / "out" / "plan" / "plan.xml";
  const std::string docName =
      scalar("select NODE_NAME from T_PROJECT_TREE where PROJECT_ID = 1 and TYPE_ID = 2");
  std::ofstream(package.parent_path() / (docName + ".DOC")) << "the bid's document";
  target->InputBsPath = (other.path() / "tender").string() + "/";
  const Value tender = target->InputBs(package.string(), false);
  const Value bid = target->InputTBs(package.string(), false);
  ASSERT_FALSE(bid.isEmpty()) << target->lastError();
  EXPECT_EQ(bid.toInt64(), tender.toInt64() + 2);
  for (const std::string table :
       {"T_ACCORDED_CHECK", "T_GRADE_INGREDIENT", "TJ_OPEN_BID_DETAILS", "TJ_PROCUREMENT_PROJECT"}) {
    EXPECT_EQ(count(table + " where PROJECT_ID = " + bid.toText()),
              count(table + " where PROJECT_ID = " + tender.toText()))
        << table;
  }
  EXPECT_EQ(targetRows("select NODE_NAME, TYPE_ID from T_PROJECT_TREE where TYPE_ID in (9, 14, 20, 21, 31) "
                       "and PROJECT_ID = " +
                       bid.toText() + " order by NODE_ID"),
            (Rows{"标书|31", "投标书|9", "投标关键信息|20", "附件|14", "投标一览表|21", "评分信息表|21",
                  "符合性检查表|21"}));
  const auto node =
      targetRows("select NODE_ID from T_PROJECT_TREE where TYPE_ID = 2 and PROJECT_ID = " + bid.toText());
  std::ifstream copied(other.path() / "Projects" / node.at(0) / (docName + ".DOC"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "the bid's document");
}

TEST_F(ImportRoundTrip, TheLibraryComesBackWholeIntoAnEmptyInstallation) {
  const fs::path package = dir.path() / "lib.xml";
  ASSERT_TRUE(obj->EduceResource(package.string()));
  const Value first = target->InputRESOURCE(package.string(), false);
  ASSERT_FALSE(first.isEmpty()) << target->lastError();
  // Resource numbers keep their distances from the first template's.
  const std::string shift = std::to_string(first.toInt64() - 21);
  EXPECT_EQ(targetRows("select distinct RESOURCE_ID - " + shift +
                       " from T_RESOURCE_TREE where RESOURCE_ID >= " + first.toText() + " order by 1"),
            rows("select distinct RESOURCE_ID from T_RESOURCE_TREE where RESOURCE_ID > 20 order by 1"));
  for (const std::string table :
       {"T_ACCORDED_CHECK_INFO", "T_GRADE_INGREDIENT_INFO", "TJ_OPEN_BID_DETAILS_INFO"}) {
    const std::string live = table == "T_GRADE_INGREDIENT_INFO" ? " and STS = 'V'" : "";
    EXPECT_EQ(
        targetRows("select RESOURCE_ID - " + shift + ", count(*) from " + table + " group by 1 order by 1"),
        rows("select RESOURCE_ID, count(*) from " + table + " where RESOURCE_ID > 20" + live +
             " group by 1 order by 1"))
        << table;
  }
}

TEST_F(ImportRoundTrip, UnreadablePackagesAreRefusedBeforeAnythingIsWritten) {
  const auto tree = count("T_PROJECT_TREE");
  const std::vector<std::pair<std::string, std::string>> packages = {
      {"bomb.xml",
       "<?xml version=\"1.0\"?><!DOCTYPE Table [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>"
       "<Table><T_PROJECT_TREE><Record><PROJECT_ID>&b;</PROJECT_ID></Record></T_PROJECT_TREE></Table>"},
      {"external.xml",
       "<!DOCTYPE Table [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><Table><T_PROJECT_TREE><Record>"
       "<NODE_NAME>&e;</NODE_NAME></Record></T_PROJECT_TREE></Table>"},
      {"truncated.xml", "<Table><T_PROJECT_TREE><Record><PROJECT_ID>1</PROJ"},
      {"other.xml", "<Other><T_PROJECT_TREE/></Other>"},
      {"empty-tree.xml", "<Table><T_PROJECT_TREE>\r</T_PROJECT_TREE></Table>"},
  };
  for (const auto& [name, text] : packages) {
    const auto file = other.path() / name;
    std::ofstream(file) << text;
    EXPECT_THROW(target->InputBs(file.string(), false), Error) << name;
    EXPECT_FALSE(target->lastError().empty()) << name;
    EXPECT_EQ(count("T_PROJECT_TREE"), tree) << name << ": not even the placeholder";
  }
  EXPECT_TRUE(target->InputBs((other.path() / "missing.xml").string(), false).isEmpty());
  ASSERT_EQ(targetHost.shown.size(), 1u);
  EXPECT_EQ(targetHost.shown[0].text, "招表文件掉失");
  EXPECT_EQ(targetHost.shown[0].title, "导出");
}

}  // namespace
}  // namespace quillon::test
