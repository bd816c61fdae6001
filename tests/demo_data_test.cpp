// The demo library and the default compliance-check style sheet ship inside the
// library. The copies, exports and imports assume shapes of this data (one
// document node per template, layers that follow parents, no orphan scoring
// rows, no NULL where a copy writes without filling); these tests pin them.
// That the copies and the page work on it is shown by template_roundtrip_test
// and html_render_test.
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "db/embedded.h"
#include "test_support.h"

namespace {

using Rows = std::vector<std::string>;

// The demo library as `quillon init --demo` installs it.
class DemoData : public quillon::test::HomeTest {
 protected:
  void SetUp() override { open(true); }
  // The number of rows of `from`: a table and its conditions.
  long long count(const std::string& from) { return std::stoll(scalar("select count(*) from " + from)); }
  void none(const std::string& from) { EXPECT_EQ(count(from), 0) << from; }
  void some(const std::string& from) { EXPECT_GT(count(from), 0) << from; }
};

// "(a is null or b is null ...)" for the columns named.
std::string anyNull(const Rows& columns) {
  std::string out;
  for (const auto& c : columns) out += (out.empty() ? "(" : " or ") + c + " is null";
  return out + ")";
}

TEST_F(DemoData, EveryTemplateHasOneDocumentNodeUnderTheLibraryRoot) {
  EXPECT_EQ(Rows{"1|1|1|0"}, rows("select NODE_ID, LAYER_ID, TYPE_ID, RESOURCE_ID from T_RESOURCE_TREE"
                                  " where PARENT_NOED_ID=0"));
  // Goods, works and services; open tender, competitive negotiation, request for quotation.
  EXPECT_GE(count("(select distinct RESOURCE_ID from T_RESOURCE_TREE where RESOURCE_ID>20) t"), 5);
  EXPECT_EQ((Rows{"1", "2", "3"}),
            rows("select distinct PROJECT_TYPE from TJ_PROCUREMENT_PROJECT_INFO where STS='V' order by 1"));
  EXPECT_EQ((Rows{"1", "3", "5"}), rows("select distinct PROMODE_ID from TJ_PROCUREMENT_PROJECT_INFO"
                                        " where STS='V' and PROMODE_ID in (1,3,5) order by 1"));
  EXPECT_GE(count("T_RESOURCE_TREE"), 200);
  // Listed are the templates that lack one document node (layer 2, type 2, under node 1) or have another
  // node on layer 2 or of type 2, or are not small but realistic: 12 nodes or more, one live record, 5 to
  // 10 checks, 3 to 5 items, 2 live bid lines or more.
  EXPECT_EQ(
      Rows{},
      rows("select * from (select RESOURCE_ID tpl, sum(case when LAYER_ID=2 and TYPE_ID=2 and"
           " PARENT_NOED_ID=1 then 1 else 0 end) d, sum(case when LAYER_ID=2 or TYPE_ID=2 then 1 else 0 end) "
           "l,"
           " count(*) n from T_RESOURCE_TREE where RESOURCE_ID>20 group by 1) t where d<>1 or l<>1 or n<12"
           " or (select count(*) from TJ_PROCUREMENT_PROJECT_INFO where RESOURCE_ID=tpl and STS='V')<>1"
           " or (select count(*) from T_ACCORDED_CHECK_INFO where RESOURCE_ID=tpl) not between 5 and 10"
           " or (select count(*) from T_GRADE_INGREDIENT_INFO where RESOURCE_ID=tpl) not between 3 and 5"
           " or (select count(*) from TJ_OPEN_BID_DETAILS_INFO where RESOURCE_ID=tpl and STS='V')<2"));
  // Every node carries the project type of its template's record, which the type look-ups name.
  none(
      "T_RESOURCE_TREE t where RESOURCE_ID>20 and not exists (select 1 from TJ_PROCUREMENT_PROJECT_INFO"
      " p join T_PROJECT_TYPE y on y.TYPE_ID=p.PROJECT_TYPE where p.RESOURCE_ID=t.RESOURCE_ID and"
      " p.STS='V' and p.PROJECT_TYPE=t.PROJECT_TYPE)");
}

// A library import keeps the parents of catalogue entries and categories as the package gives them, so
// they must point at nodes every installation has under the same number.
TEST_F(DemoData, EachTemplateHasOneCatalogueEntryInTheCategoryOfItsProjectType) {
  EXPECT_EQ((Rows{"1|1|0|1|0", "2|2|1|10|1", "3|2|1|11|2", "4|2|1|12|3"}),
            rows("select NODE_ID, LAYER_ID, PARENT_NOED_ID, TYPE_ID, PROJECT_TYPE from T_RESOURCE_TREE"
                 " where RESOURCE_ID=0 order by NODE_ID"));
  none(
      "(select RESOURCE_ID r from T_RESOURCE_TREE where RESOURCE_ID>20 group by 1) t where (select count(*)"
      " from T_RESOURCE_TREE e join T_RESOURCE_TREE c on c.NODE_ID=e.PARENT_NOED_ID join"
      " TJ_PROCUREMENT_PROJECT_INFO p on p.RESOURCE_ID=e.RESOURCE_ID and p.STS='V' where e.RESOURCE_ID=r"
      " and e.TYPE_ID=9 and c.TYPE_ID=9+p.PROJECT_TYPE and c.PROJECT_TYPE=e.PROJECT_TYPE and"
      " e.NODE_NAME=p.PROJECT_NAME)<>1");
}

TEST_F(DemoData, TreeLayersFollowParentsOnBothSides) {
  for (const std::string table : {"T_RESOURCE_TREE", "T_PROJECT_TREE"}) {
    none(table + " c left join " + table +
         " p on p.NODE_ID=c.PARENT_NOED_ID where c.PARENT_NOED_ID<>0"
         " and (p.NODE_ID is null or c.LAYER_ID<>p.LAYER_ID+1)");
    // Ordering code must sort by NODE_ORDER: somewhere the two orders disagree.
    some(table + " a join " + table +
         " b on a.PARENT_NOED_ID=b.PARENT_NOED_ID and a.NODE_ID<b.NODE_ID"
         " where a.NODE_ORDER>b.NODE_ORDER");
    // An invalidated node with a live sibling.
    some(table + " a join " + table +
         " b on a.PARENT_NOED_ID=b.PARENT_NOED_ID where a.STS='I' and b.STS='V'");
  }
  // Only the root and the categories hold nodes of other owners.
  none(
      "T_RESOURCE_TREE c join T_RESOURCE_TREE p on p.NODE_ID=c.PARENT_NOED_ID where p.TYPE_ID not in"
      " (1,10,11,12) and p.RESOURCE_ID<>c.RESOURCE_ID");
  // A whole invalidated branch: an invalidated node whose children are all invalidated.
  some(
      "T_RESOURCE_TREE p where p.STS='I' and exists (select 1 from T_RESOURCE_TREE c where"
      " c.PARENT_NOED_ID=p.NODE_ID) and not exists (select 1 from T_RESOURCE_TREE c where"
      " c.PARENT_NOED_ID=p.NODE_ID and c.STS<>'I')");
  // The tree copy cannot build its statement from a NULL in these.
  // The row reserving resources 1 to 20 holds nothing but numbers and is no template's.
  none("T_RESOURCE_TREE where RESOURCE_ID <> 20 and (" +
       anyNull({"TYPE_ID", "RESOURCE_TYPE_ID", "PROJECT_TYPE", "NODE_ORDER"}) + " or STS not in ('V','I'))");
}

TEST_F(DemoData, ProjectOneHangsUnderItsRootWithEveryColumnFilled) {
  EXPECT_EQ(Rows{"1|1|9"}, rows("select NODE_ID, LAYER_ID, TYPE_ID from T_PROJECT_TREE where PROJECT_ID=1"
                                " and PARENT_NOED_ID=0"));
  EXPECT_EQ(count("T_PROJECT_TREE where PROJECT_ID=1 and TYPE_ID=2 and LAYER_ID=2 and PARENT_NOED_ID=1"), 1);
  const auto nodes = count("T_PROJECT_TREE where PROJECT_ID=1");
  EXPECT_GE(nodes, 20);
  // Every node of the project reaches node 1 through parents of the same project.
  EXPECT_EQ(nodes,
            count("(with recursive down(id) as (select 1 union select c.NODE_ID from T_PROJECT_TREE c"
                  " join down on c.PARENT_NOED_ID=down.id and c.PROJECT_ID=1) select id from down) t"));
  // Saving into the library and exporting write every column of the tree and of the record.
  none("T_PROJECT_TREE where PROJECT_ID=1 and " +
       anyNull({"NODE_NAME", "BUNDLE_ID", "RESOURCE_TYPE_ID", "STS", "Bookmarks_Name", "NODE_ORDER",
                "PROJECT_TYPE_ID", "NODE_ESTATE", "PAGE_COUNT", "PAGE_NUM", "NODE_Level_Top", "BS_NODE_ID",
                "NODE_PAGE_COUNT"}));
  EXPECT_EQ(1, count("TJ_PROCUREMENT_PROJECT where PROJECT_ID=1 and STS='V' and MINPRICE>0 and not " +
                     anyNull({"BUNDLE_ID", "PROMODE_ID", "AVERAGE_PRICE_DROP_SCALE", "JUDGE_WAY",
                              "PROJECT_TYPE", "CATEGORY_ID", "SERIAL_NUMBER", "APPRAISE_MODE"})));
  for (const std::string table : {"T_ACCORDED_CHECK", "T_GRADE_INGREDIENT", "TJ_OPEN_BID_DETAILS"})
    EXPECT_GE(count(table + " where PROJECT_ID=1"), 2) << table;
  none("TJ_OPEN_BID_DETAILS where SUPPLY_Company_Name is null");
}

// Version, namespace and the two check tables are exercised by rendering the
// page for both owners (html_render_test); here: what a page shows and that it
// needs nothing from outside.
TEST(DefaultStylesheet, IsASelfContainedPrintablePageInChinese) {
  pugi::xml_document doc;
  const auto& sheet = quillon::embedded::stylesheet;
  const auto parsed = doc.load_buffer(sheet.data(), sheet.size());
  ASSERT_TRUE(parsed) << parsed.description() << " at " << parsed.offset;
  EXPECT_STREQ(doc.select_node("//h1").node().child_value(), "符合性检查表");
  Rows headings;
  for (const auto& th : doc.select_nodes("//th")) headings.emplace_back(th.node().child_value());
  EXPECT_EQ(headings, (Rows{"序号", "检查内容", "标段", "检查类别", "状态"}));
  EXPECT_FALSE(doc.select_node("//*[text()='暂无符合性检查项']").node().empty());
  EXPECT_TRUE(doc.select_nodes("//script | //link | //img | //iframe | //object | //xsl:import"
                               " | //xsl:include")
                  .empty());
  const std::string css = doc.select_node("//style").node().child_value();
  EXPECT_NE(css.find("@media print"), std::string::npos);
  EXPECT_EQ(css.find("url("), std::string::npos);
  EXPECT_EQ(css.find("@import"), std::string::npos);
}

}  // namespace
