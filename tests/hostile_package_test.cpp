// Packages written by a hostile office: real exports with one number
// changed. Each must be refused before anything is written (every row of
// the installation unchanged), or import without touching what was there.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <pugixml.hpp>

#include "cli_support.h"
#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;
using Pick = std::function<bool(const pugi::xml_node&)>;

constexpr const char* kTables[] = {"T_PROJECT_TREE",
                                   "TJ_PROCUREMENT_PROJECT",
                                   "T_ACCORDED_CHECK",
                                   "TJ_OPEN_BID_DETAILS",
                                   "T_AUTO_GRADE_DETAILS",
                                   "T_GRADE_INGREDIENT_DETAIL",
                                   "T_GRADE_INGREDIENT",
                                   "T_RESOURCE_TREE",
                                   "TJ_PROCUREMENT_PROJECT_INFO",
                                   "T_ACCORDED_CHECK_INFO",
                                   "TJ_OPEN_BID_DETAILS_INFO",
                                   "T_AUTO_GRADE_DETAILS_INFO",
                                   "T_GRADE_INGREDIENT_INFO",
                                   "T_GRADE_INGREDIENT_DETAIL_INFO"};

Pick nth(int n) {
  return [n, seen = 0](const pugi::xml_node&) mutable { return seen++ == n; };
}
Pick whereField(const char* column, const char* value) {
  return
      [=](const pugi::xml_node& record) { return std::string(record.child(column).text().get()) == value; };
}

class HostilePackageTest : public HomeTest {
 protected:
  void SetUp() override {
    open(true);
    ASSERT_TRUE(obj->EduceBs(1, (dir.path() / "out" / "plan.dat").string(), ""));
    ASSERT_TRUE(obj->EduceResource((dir.path() / "lib.xml").string()));
    obj->InputBsPath = (dir.path() / "docs").string() + "/";
    obj->vNew_PARENT_NOED_ID = "0";
  }
  fs::path tender() const { return dir.path() / "out" / "plan" / "plan.xml"; }
  fs::path library() const { return dir.path() / "lib.xml"; }

  // The package `from` with the first record of `table` that `pick` takes
  // given `text` in `column`, written beside it.
  fs::path changed(const fs::path& from, const char* table, Pick pick,
                   std::vector<std::pair<const char*, std::string>> fields) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file(from.c_str()));
    for (auto record : doc.child("Table").child(table).children("Record")) {
      if (!pick(record)) continue;
      for (const auto& [column, text] : fields) {
        auto field = record.child(column);
        if (!field) field = record.append_child(column);
        field.text().set(text.c_str());
      }
      const fs::path to = from.parent_path() / "hostile.xml";
      EXPECT_TRUE(doc.save_file(to.c_str(), "", pugi::format_raw));
      return to;
    }
    ADD_FAILURE() << "no record of " << table << " to change";
    return from;
  }
  Rows everything() {
    Rows all;
    for (const char* table : kTables)
      for (auto& row : rows(fmt::format("select * from {} order by 1, 2, 3", table)))
        all.push_back(std::string(table) + ": " + row);
    return all;
  }
  // The import is refused, naming `where`, and nothing at all changed.
  void refused(const fs::path& package, bool library, const std::string& where, bool replaceOld = false) {
    const Rows before = everything();
    try {
      if (library)
        obj->InputRESOURCE(package.string(), replaceOld);
      else
        obj->InputBs(package.string(), false);
      ADD_FAILURE() << "imported: " << where;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(where), std::string::npos) << e.what();
      EXPECT_EQ(e.kind(), ErrorKind::InvalidPackage) << e.what();
    }
    EXPECT_EQ(everything(), before) << where;
    EXPECT_FALSE(fs::exists(dir.path() / "docs")) << where;
  }
  std::string first(const char* table, const char* column) {
    return scalar(fmt::format("select min({}) from {} where PROJECT_ID = 1", column, table));
  }
};

TEST_F(HostilePackageTest, RowsAimedAtAnotherProjectAreRefusedBeforeAnythingIsWritten) {
  // The package's first owner is 1: owner -1 would be shifted onto a project this office holds.
  for (const char* table :
       {"T_ACCORDED_CHECK", "TJ_OPEN_BID_DETAILS", "TJ_PROCUREMENT_PROJECT", "T_GRADE_INGREDIENT"})
    refused(changed(tender(), table, nth(0), {{"PROJECT_ID", "-1"}}), false,
            fmt::format("of {}, column PROJECT_ID", table));
  refused(changed(tender(), "T_PROJECT_TREE", nth(3), {{"PROJECT_ID", "-1"}}), false,
          "record 4 of T_PROJECT_TREE, column PROJECT_ID");
  // Numbers below the first of their element land on numbers in use.
  refused(changed(tender(), "T_PROJECT_TREE", nth(3), {{"NODE_ID", "0"}}), false,
          "record 4 of T_PROJECT_TREE, column NODE_ID");
  const int item = std::stoi(first("T_GRADE_INGREDIENT", "GRADE_ITEM_ID"));
  refused(changed(tender(), "T_GRADE_INGREDIENT", nth(1), {{"GRADE_ITEM_ID", std::to_string(item - 1)}}),
          false, "record 2 of T_GRADE_INGREDIENT, column GRADE_ITEM_ID");
  refused(changed(tender(), "T_GRADE_INGREDIENT", nth(1), {{"GRADE_ITEM_ID", std::to_string(item)}}), false,
          "is given to two records");
  // Links that would hang on another project's item or factor.
  refused(
      changed(tender(), "T_GRADE_INGREDIENT_DETAIL", nth(0), {{"GRADE_ITEM_ID", std::to_string(item - 1)}}),
      false, "record 1 of T_GRADE_INGREDIENT_DETAIL, column GRADE_ITEM_ID");
  refused(changed(tender(), "T_AUTO_GRADE_DETAILS", nth(0), {{"INGREDIENT_ID", "-7"}}), false,
          "record 1 of T_AUTO_GRADE_DETAILS, column INGREDIENT_ID");
  refused(changed(tender(), "T_GRADE_INGREDIENT_DETAIL", nth(1), {{"INGREDIENT_ID", "-5"}}), false,
          "record 2 of T_GRADE_INGREDIENT_DETAIL, column INGREDIENT_ID");
  // Library side: a check on the library's own first template, and a
  // template entry hung into another template's chapter.
  refused(changed(library(), "T_ACCORDED_CHECK_INFO", nth(0), {{"RESOURCE_ID", "0"}}), true,
          "of T_ACCORDED_CHECK_INFO, column RESOURCE_ID");
  const std::string chapter = scalar("select max(NODE_ID) from T_RESOURCE_TREE where RESOURCE_ID = 21");
  refused(changed(library(), "T_RESOURCE_TREE", whereField("TYPE_ID", "9"), {{"PARENT_NOED_ID", chapter}}),
          true, "column PARENT_NOED_ID");
}

TEST_F(HostilePackageTest, NumbersNearTheTopAreRefusedAndLaterWorkNumbersAsBefore) {
  for (const auto& [table, column] :
       std::vector<std::pair<const char*, const char*>>{{"T_ACCORDED_CHECK", "PROJECT_ID"},
                                                        {"T_PROJECT_TREE", "NODE_ID"},
                                                        {"T_GRADE_INGREDIENT", "GRADE_ITEM_ID"},
                                                        {"T_GRADE_INGREDIENT_DETAIL", "INGREDIENT_ID"}})
    refused(changed(tender(), table, nth(1), {{column, "2147483000"}}), false,
            fmt::format("of {}, column {}: the number would jump", table, column));
  refused(changed(library(), "T_RESOURCE_TREE", nth(5), {{"RESOURCE_ID", "2147483000"}}), true,
          "of T_RESOURCE_TREE, column RESOURCE_ID");
  // A gap within the slack still imports with the plain arithmetic.
  const std::string owner = scalar(
      "select max(r) + 2 from (select max(PROJECT_ID) r from T_PROJECT_TREE union all select max(PROJECT_ID) "
      "from T_ACCORDED_CHECK) t");
  const Value made =
      obj->InputBs(changed(tender(), "T_ACCORDED_CHECK", nth(1), {{"PROJECT_ID", "1001"}}).string(), false);
  EXPECT_EQ(made.toText(), owner);
  EXPECT_EQ(scalar(fmt::format("select max(PROJECT_ID) from T_ACCORDED_CHECK")),
            std::to_string(std::stoi(owner) + 1000));
}

TEST_F(HostilePackageTest, ADoctypeAnywhereAndTextThatIsNotUtf8AreRefusedUnread) {
  std::ifstream in(tender(), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  const auto body = text.find("<Table");
  const std::string doctype = "<!DOCTYPE Table [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>";
  const auto write = [&](const std::string& bytes) {
    const fs::path to = tender().parent_path() / "hostile.xml";
    std::ofstream(to, std::ios::binary) << bytes;
    return to;
  };
  for (const std::string& before : {std::string("<!-- <Table> -->"), std::string("<?pi <Table?>")})
    refused(write(text.substr(0, body) + before + doctype + text.substr(body)), false, "declares a DOCTYPE");
  std::string wide("\xFF\xFE");
  for (const char c : text.substr(0, 200)) wide += std::string{c, '\0'};
  refused(write(wide), false, "is not UTF-8 text");
  refused(write("<?xml version=\"1.0\" encoding=\"GBK\"?>" + text.substr(body)), false, "is not UTF-8 text");
}

TEST_F(HostilePackageTest, ReplacingNeverReachesTheLibrarysOwnSkeleton) {
  const Rows skeleton = rows("select NODE_ID, STS from T_RESOURCE_TREE where RESOURCE_ID <= 20 order by 1");
  const fs::path package = changed(library(), "T_RESOURCE_TREE", whereField("TYPE_ID", "9"),
                                   {{"TYPE_ID", "10"}, {"NODE_NAME", "货物类"}, {"PROJECT_TYPE", "1"}});
  ASSERT_FALSE(obj->InputRESOURCE(package.string(), true).isEmpty()) << obj->lastError();
  EXPECT_EQ(rows("select NODE_ID, STS from T_RESOURCE_TREE where RESOURCE_ID <= 20 order by 1"), skeleton);
}

TEST_F(HostilePackageTest, CommandsReportTheRefusalAndKeepTheirHeadroom) {
  const fs::path package = changed(tender(), "T_ACCORDED_CHECK", nth(0), {{"PROJECT_ID", "-1"}});
  obj.reset();  // the commands need the database to themselves
  const std::string home = "--home " + shellQuote(dir.path().string()) + " ";
  const auto check = runQuillon(home + "import --check " + shellQuote(package.string()));
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.out.find("would not import: the package was refused: record 1 of T_ACCORDED_CHECK, column "
                           "PROJECT_ID"),
            std::string::npos)
      << check.out;
  const auto import =
      runQuillon(home + "import --parent 0 --layer 0 --doc-root x " + shellQuote(package.string()));
  EXPECT_EQ(import.status, 3) << import.err;
  EXPECT_EQ(runQuillon(home + "new-bs --template 21 --name n --root r --project 2147483647").status, 2);
  EXPECT_EQ(runQuillon(home + "new-bs --template 21 --name n --root r --project 2146435071").status, 0);
}

}  // namespace
}  // namespace quillon::test
