// The demo library and the default compliance-check style sheet ship inside the
// library. The copies, exports and imports assume shapes of this data (one
// document node per template, layers that follow parents, no orphan scoring
// rows, no NULL where a copy writes without filling); these tests pin them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/embedded.h"

namespace {

struct DbClose {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtFinalize {
  void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Db = std::unique_ptr<sqlite3, DbClose>;
using Row = std::vector<std::optional<std::string>>;

std::string exec(sqlite3* db, std::string_view sql) {
  char* err = nullptr;
  const std::string text(sql);
  if (sqlite3_exec(db, text.c_str(), nullptr, nullptr, &err) == SQLITE_OK) return {};
  std::string message = err != nullptr ? err : "unknown error";
  sqlite3_free(err);
  return message;
}

std::vector<Row> query(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db) << " in: " << sql;
    return {};
  }
  const std::unique_ptr<sqlite3_stmt, StmtFinalize> st(raw);
  std::vector<Row> rows;
  while (sqlite3_step(st.get()) == SQLITE_ROW) {
    Row row;
    for (int i = 0; i < sqlite3_column_count(st.get()); ++i) {
      const auto* text = sqlite3_column_text(st.get(), i);
      row.push_back(text == nullptr ? std::nullopt
                                    : std::optional<std::string>(reinterpret_cast<const char*>(text)));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

long long count(sqlite3* db, const std::string& sql) {
  const auto rows = query(db, sql);
  return rows.empty() || !rows[0][0] ? -1 : std::stoll(*rows[0][0]);
}

// Records every action other than an insert. A multi-row VALUES list is run as
// a SELECT without a table, so that one is an insert too.
int recordNonInserts(void* seen, int action, const char*, const char*, const char*, const char*) {
  if (action != SQLITE_INSERT && action != SQLITE_SELECT) static_cast<std::set<int>*>(seen)->insert(action);
  return SQLITE_OK;
}

class DemoData : public ::testing::Test {
 protected:
  void SetUp() override {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
    db_.reset(raw);
    ASSERT_EQ(exec(db(), quillon::embedded::schema), "");
    sqlite3_set_authorizer(db(), recordNonInserts, &nonInsertActions_);
    ASSERT_EQ(exec(db(), quillon::embedded::demo), "");
    sqlite3_set_authorizer(db(), nullptr, nullptr);
  }
  sqlite3* db() const { return db_.get(); }

  Db db_;
  std::set<int> nonInsertActions_;
};

TEST_F(DemoData, IsMadeOfInsertsOnly) { EXPECT_TRUE(nonInsertActions_.empty()); }

TEST_F(DemoData, EveryTemplateHasOneDocumentNodeUnderTheLibraryRoot) {
  EXPECT_EQ(count(db(),
                  "select count(*) from T_RESOURCE_TREE where NODE_ID=1 and LAYER_ID=1 and TYPE_ID=1"
                  " and RESOURCE_ID=0 and PARENT_NOED_ID=0"),
            1);
  EXPECT_EQ(count(db(), "select count(*) from T_RESOURCE_TREE where PARENT_NOED_ID=0"), 1);
  const auto templates = query(db(), "select distinct RESOURCE_ID from T_RESOURCE_TREE where RESOURCE_ID>20");
  ASSERT_GE(templates.size(), 3U);
  for (const auto& t : templates) {
    const std::string id = *t[0];
    SCOPED_TRACE("template " + id);
    const std::string mine = " where RESOURCE_ID=" + id;
    EXPECT_EQ(count(db(), "select count(*) from T_RESOURCE_TREE" + mine +
                              " and LAYER_ID=2 and TYPE_ID=2"
                              " and PARENT_NOED_ID=1"),
              1);
    EXPECT_EQ(count(db(), "select count(*) from T_RESOURCE_TREE" + mine + " and (LAYER_ID=2 or TYPE_ID=2)"),
              1);
    EXPECT_GE(count(db(), "select count(*) from T_RESOURCE_TREE" + mine), 12);
    EXPECT_EQ(count(db(), "select count(*) from TJ_PROCUREMENT_PROJECT_INFO" + mine + " and STS='V'"), 1);
    const auto checks = count(db(), "select count(*) from T_ACCORDED_CHECK_INFO" + mine);
    EXPECT_TRUE(checks >= 5 && checks <= 10) << checks;
    const auto items = count(db(), "select count(*) from T_GRADE_INGREDIENT_INFO" + mine);
    EXPECT_TRUE(items >= 3 && items <= 5) << items;
    EXPECT_GE(count(db(), "select count(*) from TJ_OPEN_BID_DETAILS_INFO" + mine + " and STS='V'"), 2);
    // Every node of a template carries the project type of its record, which the type look-ups name.
    EXPECT_EQ(count(db(), "select count(distinct PROJECT_TYPE) from T_RESOURCE_TREE" + mine), 1);
    EXPECT_EQ(count(db(),
                    "select count(*) from T_RESOURCE_TREE t join TJ_PROCUREMENT_PROJECT_INFO p"
                    " on p.RESOURCE_ID=t.RESOURCE_ID and p.STS='V' and p.PROJECT_TYPE=t.PROJECT_TYPE"
                    " join T_PROJECT_TYPE y on y.TYPE_ID=t.PROJECT_TYPE where t.RESOURCE_ID=" +
                        id),
              count(db(), "select count(*) from T_RESOURCE_TREE" + mine));
  }
}

TEST_F(DemoData, TreeLayersFollowParentsOnBothSides) {
  for (const std::string table : {"T_RESOURCE_TREE", "T_PROJECT_TREE"}) {
    SCOPED_TRACE(table);
    EXPECT_TRUE(query(db(), "select c.NODE_ID from " + table + " c left join " + table +
                                " p on p.NODE_ID=c.PARENT_NOED_ID where c.PARENT_NOED_ID<>0 and"
                                " (p.NODE_ID is null or c.LAYER_ID<>p.LAYER_ID+1)")
                    .empty());
    // Ordering code must sort by NODE_ORDER: somewhere the two orders disagree.
    EXPECT_GT(count(db(), "select count(*) from " + table + " a join " + table +
                              " b on a.PARENT_NOED_ID=b.PARENT_NOED_ID and a.NODE_ID<b.NODE_ID"
                              " where a.NODE_ORDER>b.NODE_ORDER"),
              0);
    // An invalidated node with a live sibling.
    EXPECT_GT(count(db(), "select count(*) from " + table + " a join " + table +
                              " b on a.PARENT_NOED_ID=b.PARENT_NOED_ID where a.STS='I' and b.STS='V'"),
              0);
  }
  EXPECT_TRUE(query(db(),
                    "select c.NODE_ID from T_RESOURCE_TREE c join T_RESOURCE_TREE p on"
                    " p.NODE_ID=c.PARENT_NOED_ID where p.NODE_ID<>1 and p.RESOURCE_ID<>c.RESOURCE_ID")
                  .empty());
  // A whole invalidated branch: an invalidated node whose children are all invalidated.
  EXPECT_GT(count(db(),
                  "select count(*) from T_RESOURCE_TREE p where p.STS='I' and exists (select 1 from"
                  " T_RESOURCE_TREE c where c.PARENT_NOED_ID=p.NODE_ID) and not exists (select 1 from"
                  " T_RESOURCE_TREE c where c.PARENT_NOED_ID=p.NODE_ID and c.STS<>'I')"),
            0);
  // The tree copy cannot build its statement from a NULL in these.
  EXPECT_EQ(count(db(),
                  "select count(*) from T_RESOURCE_TREE where TYPE_ID is null or RESOURCE_TYPE_ID is"
                  " null or STS not in ('V','I') or PROJECT_TYPE is null or NODE_ORDER is null"),
            0);
}

TEST_F(DemoData, IdentifiersAreUniqueAndScoringRowsHaveParents) {
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"T_RESOURCE_TREE", "NODE_ID"},
      {"T_PROJECT_TREE", "NODE_ID"},
      {"T_ACCORDED_CHECK", "CHECK_ID"},
      {"T_ACCORDED_CHECK_INFO", "CHECK_ID"},
      {"T_GRADE_INGREDIENT", "GRADE_ITEM_ID"},
      {"T_GRADE_INGREDIENT_INFO", "GRADE_ITEM_ID"},
      {"T_GRADE_INGREDIENT_DETAIL", "INGREDIENT_ID"},
      {"T_GRADE_INGREDIENT_DETAIL_INFO", "INGREDIENT_ID"},
      {"T_AUTO_GRADE_DETAILS", "AUTO_GRADE_ID"},
      {"T_AUTO_GRADE_DETAILS_INFO", "AUTO_GRADE_ID"},
  };
  for (const auto& [table, column] : keys) {
    SCOPED_TRACE(table);
    EXPECT_GT(count(db(), "select count(*) from " + table), 0);
    EXPECT_EQ(count(db(), "select count(*) - count(distinct " + column + ") from " + table), 0);
  }
  for (const std::string side : {"", "_INFO"}) {
    SCOPED_TRACE("side" + side);
    EXPECT_EQ(count(db(), "select count(*) from T_GRADE_INGREDIENT_DETAIL" + side +
                              " where GRADE_ITEM_ID not in (select GRADE_ITEM_ID from T_GRADE_INGREDIENT" +
                              side + ")"),
              0);
    // Rules belong to automatically scored factors only, and every such live factor has some.
    EXPECT_EQ(
        count(db(), "select count(*) from T_AUTO_GRADE_DETAILS" + side +
                        " where INGREDIENT_ID not in (select INGREDIENT_ID from T_GRADE_INGREDIENT_DETAIL" +
                        side + " where GRADE_MODE_ID=2)"),
        0);
    EXPECT_EQ(count(db(), "select count(*) from T_GRADE_INGREDIENT_DETAIL" + side +
                              " d where GRADE_MODE_ID=2 and STS='V' and not exists (select 1 from"
                              " T_AUTO_GRADE_DETAILS" +
                              side + " r where r.INGREDIENT_ID=d.INGREDIENT_ID)"),
              0);
  }
}

TEST_F(DemoData, ProjectOneHangsUnderItsRootWithEveryColumnFilled) {
  EXPECT_EQ(count(db(),
                  "select count(*) from T_PROJECT_TREE where NODE_ID=1 and PROJECT_ID=1 and LAYER_ID=1"
                  " and TYPE_ID=9 and PARENT_NOED_ID=0"),
            1);
  EXPECT_EQ(count(db(),
                  "select count(*) from T_PROJECT_TREE where PROJECT_ID=1 and TYPE_ID=2 and LAYER_ID=2"
                  " and PARENT_NOED_ID=1"),
            1);
  std::map<std::string, std::string> parent;
  for (const auto& r : query(db(), "select NODE_ID, PARENT_NOED_ID from T_PROJECT_TREE where PROJECT_ID=1"))
    parent[*r[0]] = *r[1];
  EXPECT_GE(parent.size(), 20U);
  for (const auto& [node, up] : parent) {
    std::string top = node;
    for (std::size_t hops = 0; hops <= parent.size() && parent.count(top) && parent[top] != "0"; ++hops)
      top = parent[top];
    EXPECT_EQ(top, "1") << "node " << node;
  }
  // Saving into the library and exporting write every column of the tree.
  EXPECT_EQ(count(db(),
                  "select count(*) from T_PROJECT_TREE where PROJECT_ID=1 and (NODE_NAME is null or"
                  " BUNDLE_ID is null or RESOURCE_TYPE_ID is null or STS is null or Bookmarks_Name is null"
                  " or NODE_ORDER is null or PROJECT_TYPE_ID is null or NODE_ESTATE is null or PAGE_COUNT"
                  " is null or PAGE_NUM is null or NODE_Level_Top is null or BS_NODE_ID is null or"
                  " NODE_PAGE_COUNT is null)"),
            0);
  EXPECT_EQ(count(db(),
                  "select count(*) from TJ_PROCUREMENT_PROJECT where PROJECT_ID=1 and STS='V' and"
                  " BUNDLE_ID is not null and PROMODE_ID is not null and AVERAGE_PRICE_DROP_SCALE is not"
                  " null and JUDGE_WAY is not null and PROJECT_TYPE is not null and CATEGORY_ID is not null"
                  " and SERIAL_NUMBER is not null and APPRAISE_MODE is not null and MINPRICE > 0"),
            1);
  for (const std::string table : {"T_ACCORDED_CHECK", "T_GRADE_INGREDIENT", "TJ_OPEN_BID_DETAILS"})
    EXPECT_GE(count(db(), "select count(*) from " + table + " where PROJECT_ID=1"), 2) << table;
  EXPECT_EQ(count(db(), "select count(*) from TJ_OPEN_BID_DETAILS where SUPPLY_Company_Name is null"), 0);
}

TEST_F(DemoData, LiveRowsKeepTheColumnsThatCopiesNeverFill) {
  const std::vector<std::pair<std::string, std::string>> guarded = {
      {"T_GRADE_INGREDIENT", "ITEM_FLAG"},     {"T_GRADE_INGREDIENT_INFO", "ITEM_FLAG"},
      {"TJ_OPEN_BID_DETAILS", "REG_SUM_TYPE"}, {"TJ_OPEN_BID_DETAILS_INFO", "REG_SUM_TYPE"},
      {"T_ACCORDED_CHECK", "CONTENT"},         {"T_ACCORDED_CHECK_INFO", "CONTENT"},
      {"T_ACCORDED_CHECK", "CHECK_ORI"},       {"T_ACCORDED_CHECK_INFO", "CHECK_ORI"},
  };
  for (const auto& [table, column] : guarded)
    EXPECT_EQ(count(db(), "select count(*) from " + table + " where STS='V' and " + column + " is null"), 0)
        << table << "." << column;
  // The cases the copies and the view must cope with are present.
  EXPECT_GT(count(db(), "select count(*) from T_ACCORDED_CHECK_INFO where STS='V' and BUNDLE_ID is null"), 0);
  EXPECT_GT(count(db(),
                  "select count(*) from T_ACCORDED_CHECK_INFO where CONTENT like '%<%' and CONTENT"
                  " like '%>%' and CONTENT like '%&%'"),
            0);
  EXPECT_GT(count(db(),
                  "select count(*) from T_GRADE_INGREDIENT_INFO where STS='V' and (REMARK is null or"
                  " SCALE is null)"),
            0);
}

TEST_F(DemoData, TextValuesHoldNoSingleQuote) {
  // Statements are built by concatenation, so a quote in the data breaks every copy of its row.
  for (const auto& t : query(db(), "select name from sqlite_master where type='table'")) {
    for (const auto& c : query(db(), "select name, type from pragma_table_info('" + *t[0] + "')")) {
      if (*c[1] != "TEXT") continue;
      EXPECT_EQ(count(db(), "select count(*) from " + *t[0] + " where instr(" + *c[0] + ", '''') > 0"), 0)
          << *t[0] << "." << *c[0];
    }
  }
}

TEST_F(DemoData, LookUpsAnswerEveryTemplateRecord) {
  EXPECT_EQ(count(db(), "select count(*) from T_PROJECT_TYPE where TYPE_ID in (1,2,3)"), 3);
  EXPECT_TRUE(query(db(),
                    "select promode_id, appraise_mode from t_promode_judge where sts='V'"
                    " group by 1, 2 having count(*) > 1")
                  .empty());
  EXPECT_GT(count(db(), "select count(*) from t_promode_judge where sts='I'"), 0);
  EXPECT_EQ(count(db(),
                  "select count(*) from TJ_PROCUREMENT_PROJECT_INFO p where STS='V' and not exists"
                  " (select 1 from t_promode_judge j where j.sts='V' and j.promode_id=p.PROMODE_ID and"
                  " j.appraise_mode=p.APPRAISE_MODE and j.judge_way=p.JUDGE_WAY)"),
            0);
  EXPECT_GT(count(db(), "select count(*) from T_GUID"), 0);
}

std::string textOf(const pugi::xml_document& doc, const char* xpath) {
  return doc.select_node(xpath).node().child_value();
}

TEST(DefaultStylesheet, IsASelfContainedXslt10PageForBothCheckTables) {
  pugi::xml_document doc;
  const auto& sheet = quillon::embedded::stylesheet;
  const auto parsed = doc.load_buffer(sheet.data(), sheet.size());
  ASSERT_TRUE(parsed) << parsed.description() << " at " << parsed.offset;
  const auto root = doc.document_element();
  EXPECT_STREQ(root.name(), "xsl:stylesheet");
  EXPECT_STREQ(root.attribute("version").value(), "1.0");
  EXPECT_STREQ(root.attribute("xmlns:xsl").value(), "http://www.w3.org/1999/XSL/Transform");
  const std::string method = root.child("xsl:output").attribute("method").value();
  EXPECT_TRUE(method == "html" || method == "xml") << method;

  EXPECT_EQ(textOf(doc, "//h1"), "符合性检查表");
  std::vector<std::string> headings;
  for (const auto& th : doc.select_nodes("//th")) headings.emplace_back(th.node().child_value());
  EXPECT_EQ(headings, (std::vector<std::string>{"序号", "检查内容", "标段", "检查类别", "状态"}));
  EXPECT_FALSE(doc.select_node("//*[text()='暂无符合性检查项']").node().empty());
  EXPECT_FALSE(doc.select_node("//@select[contains(., 'T_ACCORDED_CHECK/Record')]").attribute().empty());
  EXPECT_FALSE(doc.select_node("//@select[contains(., 'T_ACCORDED_CHECK_INFO/Record')]").attribute().empty());

  EXPECT_TRUE(
      doc.select_node("//script | //link | //img | //iframe | //object | //xsl:import | //xsl:include")
          .node()
          .empty());
  const std::string css = textOf(doc, "//style");
  EXPECT_NE(css.find("@media print"), std::string::npos);
  EXPECT_EQ(css.find("url("), std::string::npos);
  EXPECT_EQ(css.find("@import"), std::string::npos);
}

}  // namespace
