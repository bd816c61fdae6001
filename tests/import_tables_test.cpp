// The table importers: renumbering onto the numbers already stored, the value
// rule, the guards, and packages that try more than they should.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "component/session_access.h"
#include "import/table_importers.h"
#include "quillon/error.h"
#include "quillon/progress.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using Rows = std::vector<std::string>;

// <Record><A>x</A>...</Record> from "A=x|B=y"; a field without "=" is left out.
std::string record(const std::string& fields) {
  std::string out = "<Record>";
  std::size_t start = 0;
  while (start <= fields.size()) {
    const auto bar = fields.find('|', start);
    const auto field = fields.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
    if (const auto eq = field.find('='); eq != std::string::npos)
      out += fmt::format("<{0}>{1}</{0}>", field.substr(0, eq), field.substr(eq + 1));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return out + "</Record>";
}

std::string tableOf(const std::string& name, const Rows& records) {
  std::string out = "<" + name + ">\r";
  for (const auto& r : records) out += record(r);
  return out + "</" + name + ">";
}

class ImportTablesTest : public HomeTest {
 protected:
  void load(const std::string& tables) { package = write("<Table>" + tables + "</Table>"); }
  importing::Package write(const std::string& text) {
    const auto file = dir.path() / "package.xml";
    std::ofstream(file, std::ios::binary) << text;
    return importing::Package(file);
  }
  importing::TableImporters importers() { return importing::TableImporters(sessionOf(*obj), *package); }
  std::optional<importing::Package> package;
};

TEST_F(ImportTablesTest, ChecksTakeTheNextNumbersAndOwnersTheReservedOne) {
  // The placeholder of the reservation carries 58: the document becomes 59.
  exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (1, 58)");
  exec("insert into T_ACCORDED_CHECK(PROJECT_ID, CHECK_ID, CONTENT) values (3, 20, 'kept')");
  load(tableOf(
      "T_ACCORDED_CHECK",
      {"PROJECT_ID=1|CHECK_ID=5|CONTENT=a|STS=V|CHECK_ORI=2", "PROJECT_ID=1|CHECK_ID=9|CONTENT=|STS=V",
       "PROJECT_ID=1|CHECK_ID=6|CONTENT=x'); drop table T_GUID; --|CHECK_ORI= "}));
  importers().inputAccFromXml(1, 1);
  EXPECT_EQ(
      rows("select PROJECT_ID, CHECK_ID, CONTENT, STS, CHECK_ORI from T_ACCORDED_CHECK order by CHECK_ID"),
      (Rows{"3|20|kept|NULL|NULL", "59|21|a|V|2", "59|22| |V| ", "59|23|x'); drop table T_GUID; --| | "}));
  EXPECT_EQ(scalar("select count(*) from T_GUID"), "0");  // the table is still there
}

TEST_F(ImportTablesTest, ScoringMapsKeepRulesFactorsAndItemsPointingAtEachOther) {
  exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (1, 58)");
  exec("insert into T_GRADE_INGREDIENT(GRADE_ITEM_ID, PROJECT_ID) values (10, 3)");
  exec("insert into T_GRADE_INGREDIENT_DETAIL(INGREDIENT_ID, GRADE_ITEM_ID) values (40, 10)");
  load(tableOf("T_GRADE_INGREDIENT",
               {"GRADE_ITEM_ID=3|PROJECT_ID=1|CONTENT=price", "GRADE_ITEM_ID=4|PROJECT_ID=1"}) +
       tableOf("T_GRADE_INGREDIENT_DETAIL",
               {"INGREDIENT_ID=7|GRADE_ITEM_ID=3|CRP_INGREDIENT_ID=99", "INGREDIENT_ID=8|GRADE_ITEM_ID=4",
                "INGREDIENT_ID=9|GRADE_ITEM_ID=4|SCALE=12.5"}) +
       tableOf("T_AUTO_GRADE_DETAILS", {"AUTO_GRADE_ID=1|INGREDIENT_ID=9|MARK=2.5"}));
  auto run = importers();
  run.inputAutoGradeFromXml(1, 1);
  run.inputGradeDETAILFromXml(1, 1);
  run.inputGradeFromXml(1, 1);
  EXPECT_EQ(rows("select AUTO_GRADE_ID, INGREDIENT_ID, MARK from T_AUTO_GRADE_DETAILS"), Rows{"1|43|2.5"});
  EXPECT_EQ(
      rows("select INGREDIENT_ID, GRADE_ITEM_ID, CRP_INGREDIENT_ID, SCALE from T_GRADE_INGREDIENT_DETAIL "
           "where INGREDIENT_ID > 40 order by 1"),
      (Rows{"41|11|7|0", "42|12|8|0", "43|12|9|12.5"}));
  EXPECT_EQ(
      rows("select GRADE_ITEM_ID, PROJECT_ID, CONTENT from T_GRADE_INGREDIENT where GRADE_ITEM_ID > 10"),
      (Rows{"11|59|price", "12|59| "}));
}

TEST_F(ImportTablesTest, LibraryOwnersKeepTheirDistancesAndProjectNumbersStay) {
  exec("insert into T_RESOURCE_TREE(NODE_ID, RESOURCE_ID) values (1, 79)");
  load(tableOf("TJ_PROCUREMENT_PROJECT_INFO",
               {"PROJECT_ID=5|RESOURCE_ID=21|PROJECT_NAME=a", "PROJECT_ID=6|RESOURCE_ID=22|PROJECT_NAME=b",
                "PROJECT_ID=7|RESOURCE_ID=30|PROJECT_NAME=c"}));
  importers().inputProjectFromXml(2, 21);
  EXPECT_EQ(rows("select RESOURCE_ID, PROJECT_ID, PROJECT_NAME from TJ_PROCUREMENT_PROJECT_INFO order by 1"),
            (Rows{"80|5|a", "81|6|b", "89|7|c"}));
}

TEST_F(ImportTablesTest, GuardsSkipQuietlyAndMissingPartsOrOverflowsAreErrors) {
  exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (1, 58)");
  // No live scoring item was exported: no factor element, no rule element.
  load(tableOf("T_GRADE_INGREDIENT", {}));
  importers().inputAutoGradeFromXml(1, 1);
  importers().inputGradeDETAILFromXml(1, 1);
  importers().inputGradeFromXml(1, 1);
  // Live items without factors: the factor element is there but empty.
  load(tableOf("T_GRADE_INGREDIENT", {"GRADE_ITEM_ID=3|PROJECT_ID=1"}) +
       tableOf("T_GRADE_INGREDIENT_DETAIL", {}) +
       tableOf("T_AUTO_GRADE_DETAILS", {"AUTO_GRADE_ID=1|INGREDIENT_ID=9"}));
  importers().inputAutoGradeFromXml(1, 1);
  importers().inputGradeDETAILFromXml(1, 1);
  EXPECT_EQ(scalar("select count(*) from T_AUTO_GRADE_DETAILS") +
                scalar("select count(*) from T_GRADE_INGREDIENT_DETAIL"),
            "00");

  const auto fails = [&](const std::string& tables, auto&& step, const std::string& why) {
    load(tables);
    try {
      step(importers());
      ADD_FAILURE() << "no error; expected " << why;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), why);
    }
  };
  fails(
      "", [](auto i) { i.inputAccFromXml(1, 1); }, "the package has no T_ACCORDED_CHECK element");
  fails(
      tableOf("T_GRADE_INGREDIENT_DETAIL", {"INGREDIENT_ID=7|GRADE_ITEM_ID=3"}),
      [](auto i) { i.inputGradeDETAILFromXml(1, 1); }, "the package has no T_GRADE_INGREDIENT element");
  fails(
      tableOf("T_ACCORDED_CHECK", {"PROJECT_ID=1|CHECK_ID=1"}),
      [](auto i) { i.inputAccFromXml(1, -2147483600); }, "Overflow");
  fails(
      tableOf("T_ACCORDED_CHECK", {"PROJECT_ID=1|CHECK_ID=1|CPT_NODE_ID=99999999999"}),
      [](auto i) { i.inputAccFromXml(1, 1); }, "Overflow");
  try {
    write("<Other/>");
    ADD_FAILURE() << "a document without Table was taken";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "the package has no Table element");
  }
}

TEST_F(ImportTablesTest, TableElementsPastSixteenBitsImportWhole) {
  exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (1, 58)");
  Rows many(40000, "PROJECT_ID=1|GOOD_NAME=g");
  load(tableOf("TJ_OPEN_BID_DETAILS", many));
  struct Counting final : ProgressListener {
    void tableStarted(std::string_view, std::int64_t n) override { events.push_back(n); }
    void rowsWritten(std::string_view, std::int64_t) override { ++steps; }
    void tableFinished(std::string_view, std::int64_t n) override { events.push_back(n); }
    std::vector<std::int64_t> events;
    int steps = 0;
  } progress;
  const ProgressScope listening(progress);
  engine::Transaction once(sessionOf(*obj).database());  // as the members run it
  importers().inputOpenBidFromXml(1, 1);
  once.commit();
  EXPECT_EQ(progress.events, (std::vector<std::int64_t>{40000, 40000}));
  EXPECT_EQ(progress.steps, 40);
  EXPECT_EQ(scalar("select count(*) from TJ_OPEN_BID_DETAILS where PROJECT_ID = 59"), "40000");
}

}  // namespace
}  // namespace quillon::test
