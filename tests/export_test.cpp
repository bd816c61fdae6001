// Table exporters, the compliance-check view's failures and the export
// drivers, checked through DBFunc on real installations. The view's page is
// checked in html_render_test.cpp.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "cli_support.h"
#include "export/table_writer.h"
#include "faulty_connection.h"
#include "package/package_document.h"
#include "platform/xml.h"
#include "quillon/error.h"
#include "quillon/progress.h"
#include "test_support.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;
namespace xml = platform::xml;

using Strings = std::vector<std::string>;
constexpr auto npos = std::string::npos;

std::string fileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

XmlDocument loaded(const fs::path& file) {
  XmlDocument doc;
  EXPECT_TRUE(doc.loadFile(file)) << file;
  return doc;
}

// The texts of the nodes at an XPath `path` under the root (a table, a
// record, a field), in document order.
Strings texts(const XmlDocument& doc, const std::string& path) {
  Strings out;
  for (const auto& n : xml::documentElement(doc).select_nodes(path.c_str()))
    out.push_back(xml::text(n.node()));
  return out;
}

Strings tableNames(const XmlDocument& doc) {
  Strings names;
  for (const auto& n : xml::documentElement(doc).select_nodes("*")) names.emplace_back(n.node().name());
  return names;
}

// An exporter's failure report: its message, then the engine's details.
void expectReport(const Shown& shown, const std::string& message) {
  const std::string head = message + "\r\n详细信息：";
  EXPECT_EQ(shown.title, "导出");
  EXPECT_EQ(shown.icon, Icon::Critical);
  EXPECT_FALSE(shown.question);
  EXPECT_EQ(shown.text.rfind(head, 0), 0u) << shown.text;
  EXPECT_GT(shown.text.size(), head.size());
}

class ExportTest : public HomeTest {
 protected:
  void SetUp() override { openDemo(false); }
  void openDemo(bool demo = true) {
    faults = openWithFaults([&] { open(demo); });
  }
  XmlDocument fresh() { return package::loadNewXMl(); }
  fs::path out(const std::string& name) { return dir.path() / "out" / name; }

  // Reading `table` fails after its first row, as a row the engine cannot
  // compute fails a query while its rows are stepped.
  void failFromSecondRow(const std::string& table) {
    faults->failReads(table, 1, {engine::Failure::Other, "integer overflow"});
  }

  std::shared_ptr<FaultyConnection> faults;
};

// --- Whole packages ----------------------------------------------------------------

TEST_F(ExportTest, EduceBsWritesEveryTableOfTheProjectInPackageOrderWithValuesUnchanged) {
  openDemo();
  // Markup, quotes, an empty string, line breaks, blanks and NULL must come
  // back unchanged after save and load.
  exec(
      "INSERT INTO T_ACCORDED_CHECK (PROJECT_ID, CHECK_ID, CONTENT) VALUES (1, 900, ''), (1, 901, 'a\r\nb'), "
      "(1, 902, '<b>报价</b> & \"含税\" > ''x'''), (1, 903, '  '), (1, 999, NULL)");
  exec("UPDATE TJ_PROCUREMENT_PROJECT SET MINPRICE = 0.1 WHERE PROJECT_ID = 1");
  exec("UPDATE T_AUTO_GRADE_DETAILS SET MARK = 1.0 / 3 WHERE AUTO_GRADE_ID = 1");
  ASSERT_TRUE(obj->EduceBs(1, out("plan.dat").string(), ""));
  EXPECT_TRUE(host.shown.empty());
  const auto doc = loaded(out("plan") / "plan.xml");

  // Each table, its field list and the rows it must hold, in order. The
  // lists are the package format: a column dropped from the exporter's list
  // must fail here.
  const std::vector<std::tuple<std::string_view, std::string_view, std::string>> expected = {
      {"T_PROJECT_TREE",
       "NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,RESOURCE_TYPE_ID,STS,"
       "Bookmarks_Name,NODE_ORDER,PROJECT_TYPE_ID,NODE_ESTATE,PAGE_COUNT,PAGE_NUM,NODE_Level_Top,BS_NODE_ID,"
       "NODE_PAGE_COUNT",
       "WHERE PROJECT_ID=1 ORDER BY NODE_ID"},
      {"T_ACCORDED_CHECK",
       "PROJECT_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CRP_BS_NODE,CRP_BOOKMARK,CPT_NODE_ID,CHECK_ORI",
       "WHERE PROJECT_ID=1 ORDER BY CHECK_ID"},
      {"TJ_OPEN_BID_DETAILS",
       "PROJECT_ID,BUNDLE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,DELIVERY_DATE,AMOUNT,BID_SUM_PRICE,"
       "SPEC,MAKE_FACTORY,STS,TBS_REMARK,SUPPLY_ID,SUPPLY_Company_Name,REG_SUM_TYPE",
       "WHERE PROJECT_ID=1 ORDER BY SUPPLY_ID"},
      {"T_GRADE_INGREDIENT", "GRADE_ITEM_ID,PROJECT_ID,CONTENT,REMARK,SCALE,STS,ITEM_FLAG",
       "WHERE PROJECT_ID=1 AND STS='V' ORDER BY GRADE_ITEM_ID"},
      {"T_GRADE_INGREDIENT_DETAIL",
       "INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,REMARK,SCALE,STS,INGREDIENT_USER_DATE,CRP_BS_NODE,"
       "CRP_BOOKMARK,CRP_NODE_ID,CRP_INGREDIENT_ID",
       "WHERE GRADE_ITEM_ID IN(1,2,3) ORDER BY INGREDIENT_ID"},
      {"T_AUTO_GRADE_DETAILS", "AUTO_GRADE_ID,INGREDIENT_ID,UNIT,MARK,UPPER_LIMIT,QIALEFICATION,STS",
       "WHERE INGREDIENT_ID IN(1,2,3,6) ORDER BY AUTO_GRADE_ID"},
      {"TJ_PROCUREMENT_PROJECT",
       "PROJECT_ID,BUNDLE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,PROJECT_TYPE,"
       "CATEGORY_ID,STS,SERIAL_NUMBER,APPRAISE_MODE,MINPRICE",
       "WHERE PROJECT_ID=1"},
  };
  Strings order;
  for (const auto& e : expected) order.emplace_back(std::get<0>(e));
  EXPECT_EQ(tableNames(doc), order);

  for (const auto& [table, columns, query] : expected) {
    // Every record with every field of the list, in list order; fields
    // joined by '|', NULL as "NULL" (the package's one space is checked below).
    Strings written;
    for (const auto& record : xml::documentElement(doc).select_nodes(fmt::format("{}/*", table).c_str())) {
      Strings names;
      std::string line;
      for (auto field = record.node().first_child(); field; field = field.next_sibling()) {
        line += (names.empty() ? "" : "|") + (xml::text(field) == " " ? "NULL" : xml::text(field));
        names.emplace_back(field.name());
      }
      EXPECT_EQ(names, exporting::ColumnList(columns).names()) << table;
      written.push_back(line);
    }
    EXPECT_EQ(written, rows(fmt::format("SELECT {} FROM {} {}", columns, table, query))) << table;
    EXPECT_FALSE(written.empty()) << table;
  }
  EXPECT_EQ(texts(doc, "T_ACCORDED_CHECK/Record[CHECK_ID=999]/CONTENT"), Strings{" "});
  // Numbers in their shortest form that reads back the same: whole doubles
  // without a fraction.
  EXPECT_EQ(texts(doc, "TJ_PROCUREMENT_PROJECT/Record/MINPRICE"), Strings{"0.1"});
  EXPECT_EQ(texts(doc, "T_AUTO_GRADE_DETAILS/Record/MARK"),
            (Strings{"0.3333333333333333", "-0.5", "10", "-2", "2"}));
}

// --- Single exporters ----------------------------------------------------------

TEST_F(ExportTest, FailuresAreReportedUnderTheExportTitle) {
  std::string tree = "1=1";
  const std::vector<std::pair<std::function<bool(XmlDocument&)>, std::string>> cases = {
      {[&](XmlDocument& d) { return obj->OutputTreeToXml(d, tree, 1); }, "导出树结构不成功."},
      {[&](XmlDocument& d) { return obj->OutputAccToXml(d, "1=1", 2); }, "导出符合性检查信息出错。"},
      {[&](XmlDocument& d) { return obj->OutputOpenBidToXml(d, "1=1", 1); }, "导出开标一览表信息出错。"},
      {[&](XmlDocument& d) { return obj->OutputGradeToXml(d, "1=1", 1); }, "导出评分项信息出错。"},
  };
  for (const auto& [run, message] : cases) {
    host.shown.clear();
    XmlDocument notAPackage;
    ASSERT_TRUE(notAPackage.loadText("<Other/>"));
    EXPECT_FALSE(run(notAPackage)) << message;
    ASSERT_EQ(host.shown.size(), 1u) << message;
    expectReport(host.shown[0], message);
  }
}

// The drivers write the package while they read it; the bytes must be those
// of the same document built whole, across many flushes and an empty table,
// and a failed export must leave the package that was there.
TEST_F(ExportTest, StreamedPackagesMatchTheWholeDocumentAndFailuresKeepTheOldOne) {
  openDemo();
  exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 700) INSERT INTO "
      "T_PROJECT_TREE (NODE_ID, NODE_NAME, PROJECT_ID, STS) SELECT 5000 + i, '第' || i || '节的说明 <节> & "
      "\"', 1, "
      "CASE WHEN i % 7 = 0 THEN NULL ELSE 'V' END FROM n");
  exec("DELETE FROM TJ_OPEN_BID_DETAILS");
  ASSERT_TRUE(obj->EduceBs(1, out("plan.dat").string(), ""));
  std::ifstream in(out("plan") / "plan.xml", std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  auto whole = fresh();
  std::string tree = "PROJECT_ID = 1";
  ASSERT_TRUE(obj->OutputTreeToXml(whole, tree, 1));
  ASSERT_TRUE(obj->OutputAccToXml(whole, "PROJECT_ID = 1", 1));
  ASSERT_TRUE(obj->OutputOpenBidToXml(whole, "PROJECT_ID = 1", 1));
  ASSERT_TRUE(obj->OutputGradeToXml(whole, "PROJECT_ID = 1", 1));
  ASSERT_TRUE(obj->OutputProjectToXml(whole, "PROJECT_ID = 1", 1));
  EXPECT_EQ(written, whole.toString());
  EXPECT_GT(texts(loaded(out("plan") / "plan.xml"), "T_PROJECT_TREE/Record").size(), 700u);

  exec("INSERT INTO TJ_PROCUREMENT_PROJECT (PROJECT_ID, STS) VALUES (1, 'V')");
  failFromSecondRow("TJ_PROCUREMENT_PROJECT");
  EXPECT_FALSE(obj->EduceBs(1, out("plan.dat").string(), ""));
  std::ifstream again(out("plan") / "plan.xml", std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()), written);
  for (const auto& entry : fs::directory_iterator(out("plan")))
    EXPECT_EQ(entry.path().filename(), "plan.xml") << "no temporary file is left behind";
}

TEST_F(ExportTest, AFailedTableStopsEduceBsAndItsChainButNotOutputBs) {
  openDemo();
  exec("INSERT INTO TJ_PROCUREMENT_PROJECT (PROJECT_ID, STS) VALUES (1, 'V')");
  failFromSecondRow("T_GRADE_INGREDIENT_DETAIL");
  failFromSecondRow("TJ_PROCUREMENT_PROJECT");
  EXPECT_FALSE(obj->EduceBs(1, out("plan.dat").string(), ""));
  ASSERT_EQ(host.shown.size(), 1u) << "the exporters after the failed one do not run";
  expectReport(host.shown[0], "导出评分因素信息出错。");
  EXPECT_NE(host.shown[0].text.find("overflow"), npos) << "the engine's description";
  EXPECT_TRUE(fs::is_directory(out("plan"))) << "the folder made before the failure stays";
  EXPECT_FALSE(fs::exists(out("plan") / "plan.xml"));

  // OutputBS replaces its file, runs every exporter and saves what was read.
  host.shown.clear();
  std::ofstream(out("plan.dat.xml")) << "old";
  EXPECT_TRUE(obj->OutputBS(1, out("plan.dat").string(), "ignored"));
  ASSERT_EQ(host.shown.size(), 2u);
  expectReport(host.shown[0], "导出评分因素信息出错。");
  expectReport(host.shown[1], "导出项目信息出错。");
  EXPECT_TRUE(fs::is_empty(out("plan")));
  const auto doc = loaded(out("plan.dat.xml"));
  // No rule table after the failed factors.
  EXPECT_EQ(tableNames(doc),
            (Strings{"T_PROJECT_TREE", "T_ACCORDED_CHECK", "TJ_OPEN_BID_DETAILS", "T_GRADE_INGREDIENT",
                     "T_GRADE_INGREDIENT_DETAIL", "TJ_PROCUREMENT_PROJECT"}));
  EXPECT_EQ(texts(doc, "T_GRADE_INGREDIENT_DETAIL/Record").size(), 1u);
  EXPECT_EQ(texts(doc, "TJ_PROCUREMENT_PROJECT/Record").size(), 1u);
  // Live rows only.
  EXPECT_EQ(texts(doc, "T_PROJECT_TREE/Record/STS"), Strings(36, "V"));
  EXPECT_EQ(texts(doc, "T_ACCORDED_CHECK/Record/STS"), Strings(7, "V"));

  openDemo();
  failFromSecondRow("T_AUTO_GRADE_DETAILS");
  auto rules = fresh();
  EXPECT_FALSE(obj->OutputGradeToXml(rules, "PROJECT_ID = 1", 1));
  ASSERT_EQ(host.shown.size(), 1u);
  expectReport(host.shown[0], "导出系统自评信息出错。");
  EXPECT_EQ(texts(rules, "T_AUTO_GRADE_DETAILS/Record/AUTO_GRADE_ID"), Strings{"1"});
}

TEST_F(ExportTest, OnlyLiveItemsAreWrittenAndSelectTheirFactorsAndRules) {
  // Items without an identifier or with text in it, as a package from
  // elsewhere may hold: the text must not reach the factor query as SQL.
  // (A server's number column holds numbers only.)
  exec(fmt::format(
      "INSERT INTO T_GRADE_INGREDIENT (GRADE_ITEM_ID, PROJECT_ID, STS) VALUES (3, 1, 'V'), (5, 1, 'I'), "
      "(6, 1, NULL), (7, 1, 'V'), (8, 1, 'v'), (12, 1, 'V'), {}(NULL, 1, 'V'), (50, 2, 'V'), (60, 3, 'I')",
      onServer() ? "" : "('x'') OR 1=1 --', 1, 'V'), "));
  // A factor's own status does not matter; 105, 106 and 108 belong to dead
  // items, 9 to no exported one. Project 2 has no factor scored by rule (2).
  exec(
      "INSERT INTO T_GRADE_INGREDIENT_DETAIL (INGREDIENT_ID, GRADE_ITEM_ID, GRADE_MODE_ID, STS) VALUES "
      "(40, 12, 1, 'V'), (10, 3, 2, 'I'), (20, 7, 1, 'V'), (105, 5, 2, 'V'), (106, 6, 2, 'V'), "
      "(108, 8, 2, 'V'), (9, 77, 2, 'V'), (51, 50, 1, 'V'), (52, 50, 3, 'V'), (61, 60, 2, 'V')");
  exec(
      "INSERT INTO T_AUTO_GRADE_DETAILS (AUTO_GRADE_ID, INGREDIENT_ID, STS) "
      "VALUES (1, 10, 'I'), (2, 105, 'V')");
  std::vector<XmlDocument> docs;
  for (const char* filter : {"PROJECT_ID = 1", "PROJECT_ID = 2", "PROJECT_ID = 3"}) {
    ASSERT_TRUE(obj->OutputGradeToXml(docs.emplace_back(fresh()), filter, 1)) << filter;
  }
  EXPECT_TRUE(host.shown.empty());
  EXPECT_EQ(tableNames(docs[0]),
            (Strings{"T_GRADE_INGREDIENT", "T_GRADE_INGREDIENT_DETAIL", "T_AUTO_GRADE_DETAILS"}));
  // By number, where the engine puts a NULL (first on a file, last on a
  // server, which keeps numbers only).
  const Strings byNumber =
      onServer() ? Strings{"3", "7", "12", " "} : Strings{" ", "3", "7", "12", "x') OR 1=1 --"};
  EXPECT_EQ(texts(docs[0], "T_GRADE_INGREDIENT/Record/GRADE_ITEM_ID"), byNumber);
  EXPECT_EQ(texts(docs[0], "T_GRADE_INGREDIENT_DETAIL/Record/INGREDIENT_ID"), (Strings{"10", "20", "40"}));
  EXPECT_EQ(texts(docs[0], "T_GRADE_INGREDIENT_DETAIL/Record/STS"), (Strings{"I", "V", "V"}));
  EXPECT_EQ(texts(docs[0], "T_AUTO_GRADE_DETAILS/Record/AUTO_GRADE_ID"), Strings{"1"});
  // The rule table is written, empty, when no factor is scored by rule; without
  // live items there is no factor or rule table at all.
  EXPECT_EQ(texts(docs[1], "T_AUTO_GRADE_DETAILS"), Strings{"\r"});
  EXPECT_EQ(tableNames(docs[2]), Strings{"T_GRADE_INGREDIENT"});
}

struct RecordingProgress final : ProgressListener {
  void tableStarted(std::string_view table, std::int64_t n) override { add("start", table, n); }
  void rowsWritten(std::string_view table, std::int64_t n) override { add("rows", table, n); }
  void tableFinished(std::string_view table, std::int64_t n) override { add("end", table, n); }
  void add(const char* what, std::string_view table, std::int64_t n) {
    events.push_back(fmt::format("{} {} {}", what, table, n));
  }
  Strings events;
};

TEST_F(ExportTest, SingleExportersOrderTheirRowsAndReportProgressToTheListenerOfTheThread) {
  exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2500) "
      "INSERT INTO T_PROJECT_TREE (NODE_ID, PROJECT_ID) SELECT i, 1 FROM n");
  RecordingProgress progress;
  auto doc = fresh();
  std::string filter = "PROJECT_ID = 1";
  {
    const ProgressScope scope(progress);
    ASSERT_TRUE(obj->OutputTreeToXml(doc, filter, 1));
    ASSERT_TRUE(obj->OutputAccToXml(doc, "NO_SUCH_COLUMN = 1", 1));  // not opened: not reported
  }
  const Strings expected = {"start T_PROJECT_TREE 2500", "rows T_PROJECT_TREE 1000",
                            "rows T_PROJECT_TREE 2000", "end T_PROJECT_TREE 2500"};
  EXPECT_EQ(progress.events, expected);
  EXPECT_EQ(filter, "PROJECT_ID = 1") << "the project side leaves the filter alone";
  EXPECT_EQ(texts(doc, "T_ACCORDED_CHECK"), Strings{"\r"}) << "a query that cannot be opened: an empty table";
  EXPECT_TRUE(host.shown.empty()) << "and no failure";

  exec("INSERT INTO T_ACCORDED_CHECK (PROJECT_ID, CHECK_ID) VALUES (1, 3), (1, 1), (1, 2)");
  exec("INSERT INTO TJ_OPEN_BID_DETAILS (PROJECT_ID, GOOD_NAME) VALUES (1, '乙'), (1, '甲'), (1, '丙')");
  // Template 22 was removed; 23 has a live node of the removed kind, and the
  // dead node of 24 is not of that kind. Node numbers do not follow templates.
  exec(
      "INSERT INTO T_RESOURCE_TREE (NODE_ID, RESOURCE_ID, RESOURCE_TYPE_ID, STS, TYPE_ID) VALUES "
      "(5, 21, 10, 'V', 2), (2, 22, 10, 'V', 2), (3, 22, 50, 'I', 2), "
      "(4, 23, 50, 'V', 2), (1, 24, 10, 'I', 2)");
  auto more = fresh();
  filter = "RESOURCE_ID >20";
  ASSERT_TRUE(obj->OutputTreeToXml(more, filter, 2));
  // A filter no index serves, so that only the ORDER BY orders the rows.
  ASSERT_TRUE(obj->OutputAccToXml(more, "PROJECT_ID + 0 = 1", 1));
  ASSERT_TRUE(obj->OutputOpenBidToXml(more, "PROJECT_ID + 0 = 1", 1));
  EXPECT_EQ(progress.events, expected) << "nothing after the scope ended";
  EXPECT_EQ(texts(more, "T_RESOURCE_TREE/Record/NODE_ID"), (Strings{"1", "4", "5"}));
  EXPECT_EQ(texts(more, "T_RESOURCE_TREE/Record[1]/*").size(), 11u);
  EXPECT_EQ(texts(more, "T_ACCORDED_CHECK/Record/CHECK_ID"), (Strings{"1", "2", "3"}));
  EXPECT_EQ(texts(more, "TJ_OPEN_BID_DETAILS/Record/GOOD_NAME"), (Strings{"乙", "甲", "丙"}));
}

TEST_F(ExportTest, StyleSheetFailuresEmptyTheHtmlAndSayWhy) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {nullptr, "显示初审表出错。Err:53\r\n"},  // no file
      {"<xsl:stylesheet", "显示初审表出错。Err:75\r\n"},
      {"<page>not a style sheet</page>", "显示初审表出错。Err:5\r\n"},
  };
  for (const auto& [sheet, prefix] : cases) {
    host.shown.clear();
    fs::remove(dir.path() / "Conf" / "AccordedCheck.xsl");
    if (sheet) std::ofstream(dir.path() / "Conf" / "AccordedCheck.xsl") << sheet;
    std::string html = "stale";
    EXPECT_FALSE(obj->acc2Html(1, 1, html));
    EXPECT_EQ(html, "");
    ASSERT_EQ(host.shown.size(), 1u) << prefix;
    EXPECT_EQ(host.shown[0].title, "");
    EXPECT_EQ(host.shown[0].icon, Icon::None);
    EXPECT_EQ(host.shown[0].text.rfind(prefix, 0), 0u) << host.shown[0].text;
    EXPECT_GT(host.shown[0].text.size(), prefix.size());
  }
}

// --- Export drivers ------------------------------------------------------------------

TEST_F(ExportTest, DriversAskOnlyWhenTheOutputNameExistsAndFileFailuresReachTheCaller) {
  openDemo();
  fs::create_directories(out(""));
  std::ofstream(out("plan.dat")) << "mine";
  EXPECT_FALSE(obj->EduceBs(1, out("plan.dat").string(), ""));
  EXPECT_FALSE(obj->EduceResource(out("plan.dat").string()));
  ASSERT_EQ(host.shown.size(), 2u);
  EXPECT_EQ(host.shown[0].text, "存在同名的招标文件，是否覆盖它");
  EXPECT_EQ(host.shown[1].text, "资源库已存在，是否覆盖它");
  for (const auto& shown : host.shown) {
    EXPECT_TRUE(shown.question);
    EXPECT_EQ(shown.title, "导出");
    EXPECT_EQ(shown.icon, Icon::Question);
  }
  EXPECT_FALSE(fs::exists(out("plan")));

  host.answer = true;
  EXPECT_TRUE(obj->EduceBs(1, out("plan.dat").string(), ""));
  EXPECT_TRUE(fs::exists(out("plan") / "plan.xml"));
  EXPECT_EQ(fileText(out("plan.dat")), "mine");
  // Both separators, and a name with more than one dot.
  host.shown.clear();
  EXPECT_TRUE(obj->EduceBs(1, (dir.path() / "a").string() + "\\b\\other.name.dat", ""));
  EXPECT_TRUE(host.shown.empty());
  EXPECT_TRUE(fs::exists(dir.path() / "a" / "b" / "other.name" / "other.name.xml"));

  std::ofstream(dir.path() / "blocker") << "a file where a folder should be";
  EXPECT_THROW(obj->EduceBs(1, (dir.path() / "blocker" / "plan.dat").string(), ""), Error);
  EXPECT_THROW(obj->OutputBS(1, (dir.path() / "blocker" / "plan.dat").string(), ""), Error);
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(ExportTest, OutputTbsAndEduceResourceWriteTheRowsOfTheirKind) {
  openDemo();
  // The bid file leaves out three kinds of section but keeps all scoring detail.
  exec("UPDATE T_GRADE_INGREDIENT_DETAIL SET STS='I' WHERE INGREDIENT_ID=3");
  exec("UPDATE T_AUTO_GRADE_DETAILS SET STS='I' WHERE AUTO_GRADE_ID=4");
  EXPECT_TRUE(obj->OutputTBS(1, out("bid").string(), ""));
  auto doc = loaded(out("bid.xml"));
  EXPECT_TRUE(texts(doc, "T_PROJECT_TREE/Record[TYPE_ID=3 or TYPE_ID=6 or TYPE_ID=7]").empty());
  EXPECT_EQ(texts(doc, "T_PROJECT_TREE/Record/STS"), Strings(16, "V"));
  EXPECT_EQ(texts(doc, "T_GRADE_INGREDIENT_DETAIL/Record").size(), 7u);
  EXPECT_EQ(texts(doc, "T_AUTO_GRADE_DETAILS/Record/AUTO_GRADE_ID"), (Strings{"1", "2", "3", "4", "5"}));

  // The library above template 20: rows of lower templates stay out of every table.
  exec(
      "INSERT INTO T_RESOURCE_TREE (NODE_ID, RESOURCE_ID, TYPE_ID, STS) "
      "VALUES (9001, 5, 2, 'V'), (9002, 30, 1, 'V')");
  exec("INSERT INTO T_ACCORDED_CHECK_INFO (RESOURCE_ID, CHECK_ID) VALUES (5, 9001)");
  ASSERT_TRUE(obj->EduceResource(out("lib/res.xml").string()));
  EXPECT_TRUE(host.shown.empty());
  doc = loaded(out("lib/res.xml"));
  EXPECT_EQ(tableNames(doc), (Strings{"T_RESOURCE_TREE", "T_ACCORDED_CHECK_INFO", "TJ_OPEN_BID_DETAILS_INFO",
                                      "T_GRADE_INGREDIENT_INFO", "T_GRADE_INGREDIENT_DETAIL_INFO",
                                      "T_AUTO_GRADE_DETAILS_INFO", "TJ_PROCUREMENT_PROJECT_INFO"}));
  EXPECT_TRUE(texts(doc, "*/Record[RESOURCE_ID<=20]").empty());
  EXPECT_TRUE(texts(doc, "T_RESOURCE_TREE/Record[TYPE_ID=1]").empty());
  EXPECT_FALSE(texts(doc, "T_RESOURCE_TREE/Record").empty());
}

// --- Command line ------------------------------------------------------------------

TEST_F(ExportTest, CommandsReachTheDriversAndRefuseBadUsage) {
  openDemo();
  obj.reset();  // the command opens the database itself
  faults.reset();
  const auto home = "--home " + shellQuote(dir.path().string()) + " ";
  const auto arg = [&](const std::string& name) { return " " + shellQuote(out(name).string()); };
  // Each export writes the file it is given and asks about that file only.
  const auto r = runQuillon(home + "export --project 1" + arg("plan/plan.xml"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("wrote " + out("plan/plan.xml").string() + "\n"), npos) << r.out;
  EXPECT_EQ(r.err.find('\r'), npos) << "no progress bar without a terminal";
  for (const auto& [command, file] : {std::pair{"export --project 1", "plan/plan.xml"},
                                      std::pair{"export --bid --project 1", "plan/plan.xml"},
                                      std::pair{"export-library", "plan/plan.xml"}}) {
    std::ofstream(out(file)) << "edited";
    const auto declined = runQuillon(home + "--answer no " + command + arg(file));
    EXPECT_EQ(declined.status, 1) << command;
    EXPECT_NE(declined.err.find(out(file).string() + " exists"), npos) << declined.err;
    EXPECT_EQ(fileText(out(file)), "edited") << command;
  }
  EXPECT_EQ(runQuillon(home + "--answer yes export --bid --project 1" + arg("plan/plan.xml")).status, 0);
  EXPECT_NE(fileText(out("plan/plan.xml")), "edited");
  EXPECT_EQ(runQuillon(home + "export-library" + arg("lib.xml")).status, 0);
  EXPECT_EQ(tableNames(loaded(out("lib.xml"))).size(), 7u);
  Strings names;
  for (const auto& e : fs::directory_iterator(out(""))) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (Strings{"lib.xml", "plan"})) << "no temporary or extra file stays";
  for (const auto& args :
       {std::string("export --project 99") + arg("x.xml"), std::string("html --project 999"),
        std::string("html --resource 5"), std::string("tree --project 99"),
        std::string("save-template --project 99 --name N"),
        std::string("new-bs --template 99 --name N --root R"),
        std::string("new-bs --template 21 --name N --parent 99999 --layer 1")}) {
    const auto missing = runQuillon(home + args);
    EXPECT_EQ(missing.status, 3) << args;
    EXPECT_NE(missing.err.find(" does not exist"), npos) << args << missing.err;
  }
  EXPECT_EQ(runQuillon(home + "html --resource 21 -o" + arg("checks.html")).status, 0);
  EXPECT_NE(fileText(out("checks.html")).find("<!DOCTYPE html>"), npos);
  EXPECT_NE(
      fileText(out("checks.html")).find("<title>符合性检查表 · 货物类公开招标文件范本 · template 21</title>"),
      npos);
  // The exporters take the package file; the library tree extends its filter.
  const auto tree = runQuillon(home + "call OutputTreeToXml" + arg("pkg.xml") + " 'RESOURCE_ID=21' 2");
  EXPECT_EQ(tree.out.rfind("true\nRESOURCE_ID=21 AND resource_id NOT IN(", 0), 0u) << tree.out << tree.err;
  EXPECT_EQ(runQuillon(home + "call OutputAccToXml" + arg("pkg.xml") + " 'RESOURCE_ID=21' 2").out, "true\n");
  EXPECT_EQ(tableNames(loaded(out("pkg.xml"))), (Strings{"T_RESOURCE_TREE", "T_ACCORDED_CHECK_INFO"}));

  for (const auto& args :
       {"export" + arg("b.dat"), std::string("html"), std::string("html --project 1 --resource 2"),
        std::string("html --project 4000000000")}) {
    EXPECT_EQ(runQuillon(home + args).status, 2) << args;
  }
  EXPECT_NE(runQuillon(home + "html --project 4000000000").err.find("out of range"), npos);
  EXPECT_FALSE(fs::exists(out("b.dat")) || fs::exists(out("x.xml")));
}

}  // namespace
}  // namespace quillon::test
