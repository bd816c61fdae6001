// Table exporters, the compliance-check view and the export drivers, checked
// through DBFunc on real installations.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "cli_support.h"
#include "db/tables.h"
#include "export/progress.h"
#include "export/table_writer.h"
#include "export/value_text.h"
#include "package/package_document.h"
#include "platform/xml.h"
#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;
namespace xml = platform::xml;

using Fields = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kDetails = "\r\n详细信息：";

std::string fileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeFile(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

XmlDocument loaded(const fs::path& file) {
  XmlDocument doc;
  EXPECT_TRUE(doc.loadFile(file)) << file;
  return doc;
}

std::vector<std::string> tableNames(const XmlDocument& doc) {
  std::vector<std::string> names;
  for (auto child = xml::documentElement(doc).first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element) names.emplace_back(child.name());
  }
  return names;
}

pugi::xml_node tableElement(const XmlDocument& doc, std::string_view table) {
  return xml::firstChild(xml::documentElement(doc), table);
}

std::vector<Fields> records(const XmlDocument& doc, std::string_view table) {
  std::vector<Fields> out;
  for (const auto record : xml::selectChildren(tableElement(doc, table), "Record")) {
    Fields fields;
    for (auto field = record.first_child(); field; field = field.next_sibling()) {
      fields.emplace_back(field.name(), xml::text(field));
    }
    out.push_back(std::move(fields));
  }
  return out;
}

// One field of every record of a table, in record order.
std::vector<std::string> column(const XmlDocument& doc, std::string_view table, std::string_view name) {
  std::vector<std::string> out;
  for (const auto& record : records(doc, table)) {
    for (const auto& [field, text] : record) {
      if (field == name) out.push_back(text);
    }
  }
  return out;
}

std::vector<std::string> split(std::string_view list) {
  const exporting::ColumnList columns(list);
  return columns.names();
}

// The transform's XML parser turns a carriage return into a line feed, and
// its output ends with one.
std::string asTransformed(std::string xmlText) {
  std::replace(xmlText.begin(), xmlText.end(), '\r', '\n');
  return xmlText + "\n";
}

class ExportTest : public HomeTest {
 protected:
  XmlDocument fresh() { return package::loadNewXMl(); }

  void addTree(int node, int project, int type, const std::string& sts) {
    exec(
        fmt::format("INSERT INTO T_PROJECT_TREE (NODE_ID, NODE_NAME, PROJECT_ID, TYPE_ID, STS) VALUES ({}, "
                    "'节点{}', {}, {}, '{}')",
                    node, node, project, type, sts));
  }
  void addItem(const std::string& id, int project, const std::string& sts) {
    exec(fmt::format(
        "INSERT INTO T_GRADE_INGREDIENT (GRADE_ITEM_ID, PROJECT_ID, CONTENT, STS) VALUES ({}, {}, "
        "'评分项', {})",
        id, project, sts));
  }
  void addFactor(int id, int item, int mode, const std::string& sts) {
    exec(fmt::format(
        "INSERT INTO T_GRADE_INGREDIENT_DETAIL (INGREDIENT_ID, GRADE_ITEM_ID, NAME, GRADE_MODE_ID, "
        "STS) VALUES ({}, {}, '因素', {}, '{}')",
        id, item, mode, sts));
  }
  void addRule(int id, int factor, const std::string& sts) {
    exec(fmt::format(
        "INSERT INTO T_AUTO_GRADE_DETAILS (AUTO_GRADE_ID, INGREDIENT_ID, MARK, STS) VALUES ({}, {}, 1, '{}')",
        id, factor, sts));
  }
  fs::path out(const std::string& name) { return dir.path() / "out" / name; }

  // Puts a view in the place of `table` whose first row reads fine and whose
  // later rows fail with an arithmetic error while the rows are stepped.
  // `sortIndex` is dropped so that the engine streams the rows in key order
  // instead of sorting (and so failing) before the first row.
  void failFromSecondRow(std::string_view table, std::string_view columns,
                         const std::string& sortIndex = {}) {
    if (!sortIndex.empty()) exec("DROP INDEX " + sortIndex);
    const auto rows = fmt::format("{}_ROWS", table);
    exec(fmt::format("ALTER TABLE {} RENAME TO {}", table, rows));
    std::string list(columns);
    list.replace(list.find("STS"), 3,
                 fmt::format("CASE WHEN rowid > (SELECT min(rowid) FROM {}) THEN abs(-9223372036854775808) "
                             "ELSE STS END AS STS",
                             rows));
    exec(fmt::format("CREATE VIEW {} AS SELECT {} FROM {}", table, list, rows));
  }
};

// --- A full project through EduceBs ------------------------------------------

struct TableCheck {
  std::string_view table;
  std::string_view columns;
  std::string query;  // the rows the package must hold, in order
};

TEST_F(ExportTest, EduceBsWritesEveryTableOfTheProjectInPackageOrder) {
  open(true);
  ASSERT_TRUE(obj->EduceBs(1, out("plan.dat").string(), ""));
  EXPECT_TRUE(host.shown.empty());
  EXPECT_TRUE(fs::is_directory(out("plan")));
  const auto doc = loaded(out("plan") / "plan.xml");

  namespace t = db::table;
  namespace c = db::columns;
  const std::vector<TableCheck> expected = {
      {t::kProjectTree, c::kProjectTree, "WHERE PROJECT_ID=1 ORDER BY NODE_ID"},
      {t::kCheck, c::kCheck, "WHERE PROJECT_ID=1 ORDER BY CHECK_ID"},
      {t::kOpenBid, c::kOpenBid, "WHERE PROJECT_ID=1 ORDER BY rowid"},
      {t::kGradeItem, c::kGradeItem, "WHERE PROJECT_ID=1 AND STS='V' ORDER BY GRADE_ITEM_ID"},
      {t::kGradeFactor, c::kGradeFactor, "WHERE GRADE_ITEM_ID IN(1,2,3) ORDER BY INGREDIENT_ID"},
      {t::kAutoRule, c::kAutoRule, "WHERE INGREDIENT_ID IN(1,2,3,6) ORDER BY AUTO_GRADE_ID"},
      {t::kProject, c::kProject, "WHERE PROJECT_ID=1"},
  };
  std::vector<std::string> order;
  for (const auto& e : expected) order.emplace_back(e.table);
  EXPECT_EQ(tableNames(doc), order);

  for (const auto& e : expected) {
    SCOPED_TRACE(std::string(e.table));
    const auto names = split(e.columns);
    Recordset rs;
    ASSERT_TRUE(obj->GetValue(fmt::format("SELECT {} FROM {} {}", e.columns, e.table, e.query), rs));
    const auto written = records(doc, e.table);
    std::size_t row = 0;
    for (; !rs.atEnd(); rs.moveNext(), ++row) {
      ASSERT_LT(row, written.size());
      ASSERT_EQ(written[row].size(), names.size());
      for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(written[row][i].first, names[i]);
        const Value& v = rs.value(static_cast<int>(i));
        EXPECT_EQ(written[row][i].second, v.isNull() ? std::string(" ") : v.toText()) << names[i];
      }
    }
    EXPECT_EQ(row, written.size());
    EXPECT_GT(row, 0u);
  }
  // Numbers in their shortest form: whole doubles without a fraction.
  EXPECT_EQ(column(doc, "TJ_PROCUREMENT_PROJECT", "MINPRICE"), std::vector<std::string>{"1280000"});
  EXPECT_EQ(column(doc, "T_AUTO_GRADE_DETAILS", "MARK"),
            (std::vector<std::string>{"30", "-0.5", "10", "-2", "2"}));
  EXPECT_EQ(column(doc, "T_GRADE_INGREDIENT", "SCALE"), (std::vector<std::string>{"30", "50", "20"}));
  EXPECT_EQ(column(doc, "T_ACCORDED_CHECK", "CRP_BOOKMARK")[3], " ");
}

TEST_F(ExportTest, ValuesComeBackUnchangedAfterSaveAndLoad) {
  const std::vector<std::string> contents = {"<b>报价</b> & \"含税\" > 'x'", "资格性检查", "", "a\r\nb",
                                             "  "};
  int id = 1;
  for (const auto& content : contents) {
    Recordset rs;
    ASSERT_TRUE(obj->GetValue("SELECT PROJECT_ID, CHECK_ID, CONTENT FROM T_ACCORDED_CHECK", rs));
    rs.addNew();
    rs.setValue(0, Value(7));
    rs.setValue(1, Value(id++));
    rs.setValue(2, Value(content));
    rs.update();
  }
  exec("INSERT INTO T_ACCORDED_CHECK (PROJECT_ID, CHECK_ID, CONTENT) VALUES (7, 99, NULL)");
  exec("INSERT INTO TJ_PROCUREMENT_PROJECT (PROJECT_ID, MINPRICE, PROJECT_NAME) VALUES (7, 0.1, '项目')");
  addTree(1, 7, 2, "V");

  ASSERT_TRUE(obj->EduceBs(7, out("p7.dat").string(), ""));
  const auto doc = loaded(out("p7") / "p7.xml");
  auto expected = contents;
  expected.push_back(" ");
  EXPECT_EQ(column(doc, "T_ACCORDED_CHECK", "CONTENT"), expected);
  EXPECT_EQ(column(doc, "TJ_PROCUREMENT_PROJECT", "MINPRICE"), std::vector<std::string>{"0.1"});
  EXPECT_EQ(column(doc, "TJ_PROCUREMENT_PROJECT", "BUNDLE_ID"), std::vector<std::string>{" "});
  // Without live scoring items no factor or rule table is written.
  EXPECT_EQ(tableNames(doc),
            (std::vector<std::string>{"T_PROJECT_TREE", "T_ACCORDED_CHECK", "TJ_OPEN_BID_DETAILS",
                                      "T_GRADE_INGREDIENT", "TJ_PROCUREMENT_PROJECT"}));
}

// --- Single exporters ----------------------------------------------------------

TEST_F(ExportTest, FilterWithoutRowsAndUnopenableQueryGiveEmptyTables) {
  auto doc = fresh();
  EXPECT_TRUE(obj->OutputAccToXml(doc, "PROJECT_ID = 999", 1));
  EXPECT_TRUE(obj->OutputOpenBidToXml(doc, "NO_SUCH_COLUMN = 1", 1));
  EXPECT_TRUE(host.shown.empty());
  EXPECT_EQ(
      xml::outerXml(xml::documentElement(doc)),
      "<Table><T_ACCORDED_CHECK>\r</T_ACCORDED_CHECK><TJ_OPEN_BID_DETAILS>\r</TJ_OPEN_BID_DETAILS></Table>");
}

TEST_F(ExportTest, RowsComeOutInTheirTablesOrder) {
  for (const int node : {30, 10, 20}) addTree(node, 1, 4, "V");
  for (const int check : {3, 1, 2}) {
    exec(fmt::format("INSERT INTO T_ACCORDED_CHECK (PROJECT_ID, CHECK_ID) VALUES (1, {})", check));
  }
  for (const char* good : {"'乙'", "'甲'", "'丙'"}) {
    exec(fmt::format("INSERT INTO TJ_OPEN_BID_DETAILS (PROJECT_ID, GOOD_NAME) VALUES (1, {})", good));
  }
  auto doc = fresh();
  // A filter no index serves, so that only the ORDER BY orders the rows.
  std::string filter = "PROJECT_ID + 0 = 1";
  ASSERT_TRUE(obj->OutputTreeToXml(doc, filter, 1));
  EXPECT_EQ(filter, "PROJECT_ID + 0 = 1") << "the project side leaves the filter alone";
  ASSERT_TRUE(obj->OutputAccToXml(doc, filter, 1));
  ASSERT_TRUE(obj->OutputOpenBidToXml(doc, filter, 1));
  EXPECT_EQ(column(doc, "T_PROJECT_TREE", "NODE_ID"), (std::vector<std::string>{"10", "20", "30"}));
  EXPECT_EQ(column(doc, "T_ACCORDED_CHECK", "CHECK_ID"), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(column(doc, "TJ_OPEN_BID_DETAILS", "GOOD_NAME"), (std::vector<std::string>{"乙", "甲", "丙"}));
}

TEST_F(ExportTest, FailuresAreReportedUnderTheExportTitle) {
  struct Case {
    std::function<bool(DBFunc&, XmlDocument&)> run;
    std::string message;
  };
  const std::vector<Case> cases = {
      {[](DBFunc& o, XmlDocument& d) {
         std::string f = "1=1";
         return o.OutputTreeToXml(d, f, 1);
       },
       "导出树结构不成功."},
      {[](DBFunc& o, XmlDocument& d) { return o.OutputAccToXml(d, "1=1", 2); }, "导出符合性检查信息出错。"},
      {[](DBFunc& o, XmlDocument& d) { return o.OutputOpenBidToXml(d, "1=1", 1); },
       "导出开标一览表信息出错。"},
      {[](DBFunc& o, XmlDocument& d) { return o.OutputGradeToXml(d, "1=1", 1); }, "导出评分项信息出错。"},
      {[](DBFunc& o, XmlDocument& d) { return o.OutputProjectToXml(d, "1=1", 2); }, "导出项目信息出错。"},
  };
  for (const auto& c : cases) {
    host.shown.clear();
    XmlDocument notAPackage;
    ASSERT_TRUE(notAPackage.loadText("<Other/>"));
    EXPECT_FALSE(c.run(*obj, notAPackage)) << c.message;
    ASSERT_EQ(host.shown.size(), 1u) << c.message;
    EXPECT_EQ(host.shown[0].title, "导出");
    EXPECT_EQ(host.shown[0].text.rfind(c.message + kDetails, 0), 0u) << host.shown[0].text;
    EXPECT_GT(host.shown[0].text.size(), c.message.size() + std::string(kDetails).size());
    EXPECT_EQ(host.shown[0].icon, Icon::Critical);
    EXPECT_FALSE(host.shown[0].question);
  }
}

TEST_F(ExportTest, AnErrorWhileReadingRowsStopsTheTableAndKeepsWhatWasWritten) {
  for (const int check : {1, 2, 3}) {
    exec(fmt::format("INSERT INTO T_ACCORDED_CHECK (PROJECT_ID, CHECK_ID) VALUES (1, {})", check));
  }
  auto doc = fresh();
  // Fine for the first row, an arithmetic error from the second on.
  EXPECT_FALSE(obj->OutputAccToXml(
      doc, "PROJECT_ID = 1 AND abs(CASE WHEN CHECK_ID > 1 THEN -9223372036854775808 ELSE 1 END) > 0", 1));
  EXPECT_EQ(column(doc, "T_ACCORDED_CHECK", "CHECK_ID"), std::vector<std::string>{"1"});
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(host.shown[0].text.rfind(std::string("导出符合性检查信息出错。") + kDetails, 0), 0u);
  EXPECT_NE(host.shown[0].text.find("overflow"), std::string::npos) << "the engine's description";
}

TEST_F(ExportTest, ChainedExportersReportTheirOwnFailure) {
  open(true);
  failFromSecondRow(db::table::kGradeFactor, db::columns::kGradeFactor, "IX_GRADE_DETAIL_ITEM");
  auto doc = fresh();
  EXPECT_FALSE(obj->OutputGradeToXml(doc, "PROJECT_ID = 1", 1));
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(host.shown[0].text.rfind(std::string("导出评分因素信息出错。") + kDetails, 0), 0u);
  EXPECT_EQ(tableNames(doc), (std::vector<std::string>{"T_GRADE_INGREDIENT", "T_GRADE_INGREDIENT_DETAIL"}));

  open(true);
  failFromSecondRow(db::table::kAutoRule, db::columns::kAutoRule, "IX_AUTO_GRADE_FACTOR");
  auto again = fresh();
  EXPECT_FALSE(obj->OutputGradeToXml(again, "PROJECT_ID = 1", 1));
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(host.shown[0].text.rfind(std::string("导出系统自评信息出错。") + kDetails, 0), 0u);
  EXPECT_EQ(column(again, "T_AUTO_GRADE_DETAILS", "AUTO_GRADE_ID"), std::vector<std::string>{"1"});
}

TEST_F(ExportTest, EduceBsStopsAtAFailedExporterAndOutputBsGoesOn) {
  open(true);
  exec("INSERT INTO TJ_PROCUREMENT_PROJECT (PROJECT_ID, STS) VALUES (1, 'V')");
  failFromSecondRow(db::table::kOpenBid, db::columns::kOpenBid);
  failFromSecondRow(db::table::kProject, db::columns::kProject);
  EXPECT_FALSE(obj->EduceBs(1, out("plan.dat").string(), ""));
  ASSERT_EQ(host.shown.size(), 1u) << "the exporters after the failed one do not run";
  EXPECT_EQ(host.shown[0].text.rfind(std::string("导出开标一览表信息出错。") + kDetails, 0), 0u);
  EXPECT_TRUE(fs::is_directory(out("plan"))) << "the folder made before the failure stays";
  EXPECT_FALSE(fs::exists(out("plan") / "plan.xml"));

  host.shown.clear();
  EXPECT_TRUE(obj->OutputBS(1, out("plan.dat").string(), ""));
  ASSERT_EQ(host.shown.size(), 2u);
  EXPECT_EQ(host.shown[1].text.rfind(std::string("导出项目信息出错。") + kDetails, 0), 0u);
  const auto doc = loaded(out("plan.dat.xml"));
  EXPECT_EQ(tableNames(doc).size(), 7u) << "every exporter ran";
  EXPECT_EQ(records(doc, "TJ_OPEN_BID_DETAILS").size(), 1u);
  EXPECT_EQ(records(doc, "TJ_PROCUREMENT_PROJECT").size(), 1u);
}

// --- The scoring chain -----------------------------------------------------------

TEST_F(ExportTest, OnlyLiveItemsAreWrittenAndSelectTheirFactors) {
  addItem("3", 1, "'V'");
  addItem("5", 1, "'I'");
  addItem("6", 1, "NULL");
  addItem("7", 1, "'V'");
  addItem("8", 1, "'v'");
  addItem("12", 1, "'V'");
  addFactor(40, 12, 1, "V");
  addFactor(10, 3, 2, "I");  // a factor's own status does not matter
  addFactor(20, 7, 1, "V");
  for (const int item : {5, 6, 8}) addFactor(100 + item, item, 2, "V");
  addRule(1, 10, "I");
  addRule(2, 105, "V");  // a rule of a factor of a dead item

  auto doc = fresh();
  ASSERT_TRUE(obj->OutputGradeToXml(doc, "PROJECT_ID = 1", 1));
  EXPECT_TRUE(host.shown.empty());
  EXPECT_EQ(tableNames(doc), (std::vector<std::string>{"T_GRADE_INGREDIENT", "T_GRADE_INGREDIENT_DETAIL",
                                                       "T_AUTO_GRADE_DETAILS"}));
  EXPECT_EQ(column(doc, "T_GRADE_INGREDIENT", "GRADE_ITEM_ID"), (std::vector<std::string>{"3", "7", "12"}));
  EXPECT_EQ(column(doc, "T_GRADE_INGREDIENT_DETAIL", "INGREDIENT_ID"),
            (std::vector<std::string>{"10", "20", "40"}));
  EXPECT_EQ(column(doc, "T_GRADE_INGREDIENT_DETAIL", "STS"), (std::vector<std::string>{"I", "V", "V"}));
  EXPECT_EQ(column(doc, "T_AUTO_GRADE_DETAILS", "AUTO_GRADE_ID"), std::vector<std::string>{"1"});
}

TEST_F(ExportTest, FactorsWithoutRuleScoringStillGiveAnEmptyRuleTable) {
  addItem("1", 1, "'V'");
  addFactor(1, 1, 1, "V");
  addFactor(2, 1, 3, "V");
  addRule(1, 1, "V");
  auto doc = fresh();
  ASSERT_TRUE(obj->OutputGradeToXml(doc, "PROJECT_ID = 1", 1));
  EXPECT_EQ(tableNames(doc), (std::vector<std::string>{"T_GRADE_INGREDIENT", "T_GRADE_INGREDIENT_DETAIL",
                                                       "T_AUTO_GRADE_DETAILS"}));
  EXPECT_TRUE(records(doc, "T_AUTO_GRADE_DETAILS").empty());
  EXPECT_EQ(xml::text(tableElement(doc, "T_AUTO_GRADE_DETAILS")), "\r");
}

TEST_F(ExportTest, NoLiveItemsMeansNoFactorOrRuleTable) {
  addItem("1", 1, "'I'");
  addFactor(1, 1, 2, "V");
  auto doc = fresh();
  ASSERT_TRUE(obj->OutputGradeToXml(doc, "PROJECT_ID = 1", 1));
  EXPECT_EQ(tableNames(doc), std::vector<std::string>{"T_GRADE_INGREDIENT"});
}

TEST_F(ExportTest, IdentifierTextFromAPackageCannotInjectSql) {
  addTree(1, 1, 2, "V");
  addItem("'x) OR 1=1 --'", 1, "'V'");  // text kept by the integer column
  addItem("2", 1, "'V'");
  addFactor(1, 2, 2, "V");
  addFactor(9, 77, 2, "V");  // belongs to no exported item
  auto doc = fresh();
  ASSERT_TRUE(obj->OutputGradeToXml(doc, "PROJECT_ID = 1", 1));
  EXPECT_TRUE(host.shown.empty());
  EXPECT_EQ(column(doc, "T_GRADE_INGREDIENT_DETAIL", "INGREDIENT_ID"), std::vector<std::string>{"1"});
}

// --- The library side -------------------------------------------------------------

TEST_F(ExportTest, LibraryTreeLeavesOutRemovedTemplatesAndExtendsTheFilter) {
  const auto node = [&](int id, int resource, int resourceType, const char* sts) {
    exec(fmt::format(
        "INSERT INTO T_RESOURCE_TREE (NODE_ID, RESOURCE_ID, RESOURCE_TYPE_ID, STS, TYPE_ID) VALUES "
        "({}, {}, {}, '{}', 2)",
        id, resource, resourceType, sts));
  };
  node(1, 21, 10, "V");
  node(2, 22, 10, "V");
  node(3, 22, 50, "I");  // template 22 was removed
  node(4, 23, 50, "V");
  node(5, 24, 10, "I");
  auto doc = fresh();
  std::string filter = "RESOURCE_ID >20";
  ASSERT_TRUE(obj->OutputTreeToXml(doc, filter, 2));
  EXPECT_EQ(filter,
            "RESOURCE_ID >20 AND resource_id NOT IN(SELECT resource_id FROM T_RESOURCE_TREE t WHERE "
            "t.resource_type_id=50 AND t.sts='I')");
  EXPECT_EQ(tableNames(doc), std::vector<std::string>{"T_RESOURCE_TREE"});
  EXPECT_EQ(column(doc, "T_RESOURCE_TREE", "NODE_ID"), (std::vector<std::string>{"1", "4", "5"}));
  EXPECT_EQ(records(doc, "T_RESOURCE_TREE")[0].size(), split(db::columns::kResourceTree).size());
}

// --- The compliance-check view ---------------------------------------------------

class ComplianceViewTest : public ExportTest {
 protected:
  void useStyleSheet(const std::string& text) { writeFile(dir.path() / "Conf" / "AccordedCheck.xsl", text); }
  static constexpr const char* kCopySheet =
      "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      "<xsl:output method=\"xml\" omit-xml-declaration=\"yes\"/>"
      "<xsl:template match=\"/\"><xsl:copy-of select=\".\"/></xsl:template></xsl:stylesheet>";
};

TEST_F(ComplianceViewTest, TransformsTheChecksOfTheProjectOrTemplate) {
  open(true);
  useStyleSheet(kCopySheet);
  auto doc = fresh();
  ASSERT_TRUE(obj->OutputAccToXml(doc, "PROJECT_ID = 1", 1));
  std::string html;
  ASSERT_TRUE(obj->acc2Html(1, 1, html));
  EXPECT_EQ(html, asTransformed(xml::outerXml(xml::documentElement(doc))));

  auto library = fresh();
  ASSERT_TRUE(obj->OutputAccToXml(library, "RESOURCE_ID = 21", 2));
  ASSERT_TRUE(obj->acc2Html(2, 21, html));
  EXPECT_EQ(html, asTransformed(xml::outerXml(xml::documentElement(library))));
  EXPECT_NE(html.find("<T_ACCORDED_CHECK_INFO>"), std::string::npos);
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(ComplianceViewTest, StyleSheetFailuresEmptyTheHtmlAndSayWhy) {
  struct Case {
    std::optional<std::string> sheet;  // none: no file
    std::string prefix;
  };
  const std::vector<Case> cases = {
      {std::nullopt, "显示初审表出错。Err:53\r\n"},
      {"<xsl:stylesheet", "显示初审表出错。Err:75\r\n"},
      {"<page>not a style sheet</page>", "显示初审表出错。Err:5\r\n"},
  };
  for (const auto& c : cases) {
    host.shown.clear();
    fs::remove(dir.path() / "Conf" / "AccordedCheck.xsl");
    if (c.sheet) useStyleSheet(*c.sheet);
    std::string html = "stale";
    EXPECT_FALSE(obj->acc2Html(1, 1, html));
    EXPECT_EQ(html, "");
    ASSERT_EQ(host.shown.size(), 1u) << c.prefix;
    EXPECT_EQ(host.shown[0].title, "");
    EXPECT_EQ(host.shown[0].icon, Icon::None);
    EXPECT_EQ(host.shown[0].text.rfind(c.prefix, 0), 0u) << host.shown[0].text;
    EXPECT_GT(host.shown[0].text.size(), c.prefix.size());
  }
}

// --- Export drivers ------------------------------------------------------------------

TEST_F(ExportTest, EduceBsAsksOnlyWhenTheOutputNameExists) {
  addTree(1, 1, 2, "V");
  fs::create_directories(out(""));
  writeFile(out("plan.dat"), "mine");

  host.answer = false;
  EXPECT_FALSE(obj->EduceBs(1, out("plan.dat").string(), ""));
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_TRUE(host.shown[0].question);
  EXPECT_EQ(host.shown[0].title, "导出");
  EXPECT_EQ(host.shown[0].text, "存在同名的招标文件，是否覆盖它");
  EXPECT_EQ(host.shown[0].icon, Icon::Question);
  EXPECT_FALSE(fs::exists(out("plan")));

  host.answer = true;
  EXPECT_TRUE(obj->EduceBs(1, out("plan.dat").string(), ""));
  EXPECT_TRUE(fs::exists(out("plan") / "plan.xml"));
  EXPECT_EQ(fileText(out("plan.dat")), "mine");

  host.shown.clear();
  EXPECT_TRUE(obj->EduceBs(1, out("other.name.dat").string(), ""));
  EXPECT_TRUE(host.shown.empty()) << "an existing package file is replaced without a question";
  EXPECT_TRUE(fs::exists(out("other.name") / "other.name.xml"));
}

TEST_F(ExportTest, DriversTakeBothSeparatorsInTheOutputName) {
  addTree(1, 1, 2, "V");
  const auto name = (dir.path() / "a").string() + "\\b\\plan.dat";
  EXPECT_TRUE(obj->EduceBs(1, name, ""));
  EXPECT_TRUE(fs::exists(dir.path() / "a" / "b" / "plan" / "plan.xml"));
}

TEST_F(ExportTest, OutputBsReplacesItsFileAndWritesLiveRowsOnly) {
  open(true);
  fs::create_directories(out(""));
  writeFile(out("plan.dat.xml"), "old");
  EXPECT_TRUE(obj->OutputBS(1, out("plan.dat").string(), "ignored"));
  EXPECT_TRUE(host.shown.empty());
  EXPECT_TRUE(fs::is_directory(out("plan")));
  EXPECT_TRUE(fs::is_empty(out("plan")));
  const auto doc = loaded(out("plan.dat.xml"));
  const auto nodes = column(doc, "T_PROJECT_TREE", "NODE_ID");
  EXPECT_EQ(nodes.size(), 36u);
  EXPECT_EQ(std::count(nodes.begin(), nodes.end(), "17"), 0);
  EXPECT_EQ(column(doc, "T_ACCORDED_CHECK", "CHECK_ID").size(), 7u);
  EXPECT_EQ(tableNames(doc).size(), 7u);
}

TEST_F(ExportTest, OutputTbsLeavesOutSectionsButKeepsTheScoringDetail) {
  open(true);
  exec("UPDATE T_GRADE_INGREDIENT_DETAIL SET STS='I' WHERE INGREDIENT_ID=3");
  exec("UPDATE T_AUTO_GRADE_DETAILS SET STS='I' WHERE AUTO_GRADE_ID=4");
  EXPECT_TRUE(obj->OutputTBS(1, out("bid").string(), ""));
  const auto doc = loaded(out("bid.xml"));
  for (const auto& type : column(doc, "T_PROJECT_TREE", "TYPE_ID")) {
    EXPECT_TRUE(type != "3" && type != "6" && type != "7") << type;
  }
  for (const auto& sts : column(doc, "T_PROJECT_TREE", "STS")) EXPECT_EQ(sts, "V");
  EXPECT_EQ(column(doc, "T_PROJECT_TREE", "NODE_ID").size(), 16u);
  EXPECT_EQ(column(doc, "T_GRADE_INGREDIENT_DETAIL", "INGREDIENT_ID").size(), 7u);
  EXPECT_EQ(column(doc, "T_AUTO_GRADE_DETAILS", "AUTO_GRADE_ID"),
            (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}

TEST_F(ExportTest, EduceResourceWritesTheLibraryAboveTemplateTwenty) {
  open(true);
  // Rows of a template numbered 20 or below stay out of every table.
  exec("INSERT INTO T_RESOURCE_TREE (NODE_ID, RESOURCE_ID, TYPE_ID, STS) VALUES (9001, 5, 2, 'V')");
  exec("INSERT INTO T_RESOURCE_TREE (NODE_ID, RESOURCE_ID, TYPE_ID, STS) VALUES (9002, 30, 1, 'V')");
  exec("INSERT INTO T_ACCORDED_CHECK_INFO (RESOURCE_ID, CHECK_ID) VALUES (5, 9001)");
  exec("INSERT INTO TJ_OPEN_BID_DETAILS_INFO (RESOURCE_ID, GOOD_NAME) VALUES (5, '旧')");
  exec("INSERT INTO T_GRADE_INGREDIENT_INFO (GRADE_ITEM_ID, RESOURCE_ID, STS) VALUES (9001, 5, 'V')");
  exec("INSERT INTO TJ_PROCUREMENT_PROJECT_INFO (RESOURCE_ID, PROJECT_NAME) VALUES (5, '旧')");
  ASSERT_TRUE(obj->EduceResource(out("lib/res.xml").string()));
  EXPECT_TRUE(host.shown.empty());
  const auto doc = loaded(out("lib/res.xml"));
  EXPECT_EQ(tableNames(doc),
            (std::vector<std::string>{"T_RESOURCE_TREE", "T_ACCORDED_CHECK_INFO", "TJ_OPEN_BID_DETAILS_INFO",
                                      "T_GRADE_INGREDIENT_INFO", "T_GRADE_INGREDIENT_DETAIL_INFO",
                                      "T_AUTO_GRADE_DETAILS_INFO", "TJ_PROCUREMENT_PROJECT_INFO"}));
  for (const auto& table : tableNames(doc)) {
    for (const auto& owner : column(doc, table, "RESOURCE_ID")) EXPECT_GT(std::stoi(owner), 20) << table;
  }
  EXPECT_FALSE(column(doc, "T_RESOURCE_TREE", "NODE_ID").empty());
  for (const auto& type : column(doc, "T_RESOURCE_TREE", "TYPE_ID")) EXPECT_NE(type, "1");

  host.answer = false;
  writeFile(out("lib/res.xml"), "keep");
  EXPECT_FALSE(obj->EduceResource(out("lib/res.xml").string()));
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(host.shown[0].text, "资源库已存在，是否覆盖它");
  EXPECT_EQ(host.shown[0].title, "导出");
  EXPECT_EQ(fileText(out("lib/res.xml")), "keep");
}

TEST_F(ExportTest, FileFailuresReachTheCaller) {
  addTree(1, 1, 2, "V");
  writeFile(dir.path() / "blocker", "a file where a folder should be");
  EXPECT_THROW(obj->EduceBs(1, (dir.path() / "blocker" / "plan.dat").string(), ""), Error);
  EXPECT_THROW(obj->OutputBS(1, (dir.path() / "blocker" / "plan.dat").string(), ""), Error);
  EXPECT_TRUE(host.shown.empty());
}

// --- Progress and value text ---------------------------------------------------------

struct RecordingProgress final : exporting::ProgressListener {
  void tableStarted(std::string_view table, std::int64_t expected) override {
    events.push_back(fmt::format("start {} {}", table, expected));
  }
  void rowsWritten(std::string_view table, std::int64_t rows) override {
    events.push_back(fmt::format("rows {} {}", table, rows));
  }
  void tableFinished(std::string_view table, std::int64_t rows) override {
    events.push_back(fmt::format("end {} {}", table, rows));
  }
  std::vector<std::string> events;
};

TEST_F(ExportTest, ProgressIsReportedToTheListenerOfTheThread) {
  exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2500) "
      "INSERT INTO T_PROJECT_TREE (NODE_ID, PROJECT_ID) SELECT i, 1 FROM n");
  RecordingProgress progress;
  {
    const exporting::ProgressScope scope(progress);
    auto doc = fresh();
    std::string filter = "PROJECT_ID = 1";
    ASSERT_TRUE(obj->OutputTreeToXml(doc, filter, 1));
    ASSERT_TRUE(obj->OutputAccToXml(doc, "NO_SUCH_COLUMN = 1", 1));  // not opened: not reported
  }
  EXPECT_EQ(progress.events,
            (std::vector<std::string>{"start T_PROJECT_TREE 2500", "rows T_PROJECT_TREE 1000",
                                      "rows T_PROJECT_TREE 2000", "end T_PROJECT_TREE 2500"}));
  auto doc = fresh();
  ASSERT_TRUE(obj->OutputAccToXml(doc, "1=1", 1));
  EXPECT_EQ(progress.events.size(), 4u) << "nothing after the scope ended";
}

TEST(ValueText, NumbersAreShortestAndTextIsAsStored) {
  exporting::ValueText text;
  EXPECT_EQ(text(Value(3.0)), "3");
  EXPECT_EQ(text(Value(0.1)), "0.1");
  EXPECT_EQ(text(Value(-0.5)), "-0.5");
  EXPECT_EQ(text(Value(1280000.0)), "1280000");
  EXPECT_EQ(text(Value(std::int64_t{-9223372036854775807LL - 1})), "-9223372036854775808");
  for (const double v : {1e20, 1.0 / 3, -2.2250738585072014e-308, 123456.789}) {
    EXPECT_EQ(text(Value(v)), formatNumber(v));
    EXPECT_EQ(std::stod(std::string(text(Value(v)))), v);
  }
  EXPECT_EQ(text(Value::null()), " ");
  EXPECT_EQ(text(Value("")), "");
  EXPECT_EQ(text(Value("中文 <&>")), "中文 <&>");
}

TEST(ValueText, IdentifierListsQuoteTextAndKeepNulls) {
  std::string list;
  exporting::appendIdentifier(list, Value(3));
  exporting::appendIdentifier(list, Value(7.0));
  exporting::appendIdentifier(list, Value("1) OR (1=1"));
  exporting::appendIdentifier(list, Value::null());
  exporting::appendIdentifier(list, Value("it's"));
  EXPECT_EQ(list, "3,7,'1) OR (1=1',NULL,'it''s'");
}

// --- Command line ------------------------------------------------------------------

class ExportCommandTest : public ExportTest {
 protected:
  void SetUp() override {
    open(true);
    obj.reset();
  }  // the command opens the database itself
  CommandResult run(const std::string& args) {
    return runQuillon("--home " + shellQuote(dir.path().string()) + " " + args);
  }
};

TEST_F(ExportCommandTest, ExportWritesThePackageAndTellsWhere) {
  const auto r = run("export --project 1 " + shellQuote(out("plan.dat").string()));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(out("plan/plan.xml").string()), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(out("plan") / "plan.xml"));
  EXPECT_EQ(r.err.find('\r'), std::string::npos) << "no progress bar without a terminal";

  writeFile(out("plan.dat"), "");
  const auto declined = run("--answer no export --project 1 " + shellQuote(out("plan.dat").string()));
  EXPECT_EQ(declined.status, 1);
  EXPECT_NE(declined.err.find("declined"), std::string::npos) << declined.err;

  const auto bid = run("export --project 1 --bid " + shellQuote(out("bid.dat").string()));
  EXPECT_EQ(bid.status, 0) << bid.err;
  EXPECT_TRUE(fs::exists(out("bid.dat.xml")));
}

TEST_F(ExportCommandTest, ExportLibraryAndHtml) {
  const auto lib = run("export-library " + shellQuote(out("lib.xml").string()));
  EXPECT_EQ(lib.status, 0) << lib.err;
  EXPECT_EQ(tableNames(loaded(out("lib.xml"))).size(), 7u);

  const auto page = run("html --project 1");
  EXPECT_EQ(page.status, 0) << page.err;
  EXPECT_NE(page.out.find("投标人具有独立承担民事责任的能力"), std::string::npos);
  const auto file = run("html --resource 21 -o " + shellQuote((dir.path() / "checks.html").string()));
  EXPECT_EQ(file.status, 0) << file.err;
  EXPECT_NE(fileText(dir.path() / "checks.html").find("<!DOCTYPE html>"), std::string::npos);
}

TEST_F(ExportCommandTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(run("export --project 1 " + shellQuote(out("noextension").string())).status, 2);
  EXPECT_EQ(run("export " + shellQuote(out("a.dat").string())).status, 2);
  EXPECT_EQ(run("html").status, 2);
  EXPECT_EQ(run("html --project 1 --resource 2").status, 2);
  const auto big = run("html --project 40000");
  EXPECT_EQ(big.status, 2);
  EXPECT_NE(big.err.find("out of range"), std::string::npos) << big.err;
  EXPECT_FALSE(fs::exists(out("")));
}

TEST_F(ExportCommandTest, CallReachesTheExportersWithAPackageFile) {
  const auto package = dir.path() / "pkg.xml";
  const auto r = run("call OutputTreeToXml " + shellQuote(package.string()) + " 'RESOURCE_ID=21' 2");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("true\nRESOURCE_ID=21 AND resource_id NOT IN(", 0), 0u) << r.out;
  const auto again = run("call OutputAccToXml " + shellQuote(package.string()) + " 'RESOURCE_ID=21' 2");
  EXPECT_EQ(again.out, "true\n");
  EXPECT_EQ(tableNames(loaded(package)),
            (std::vector<std::string>{"T_RESOURCE_TREE", "T_ACCORDED_CHECK_INFO"}));
}

}  // namespace
}  // namespace quillon::test
