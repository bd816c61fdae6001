// Saving a project into the template library: tree renumbering and layers,
// the attached tables, and how failures end the save.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "db/sql_text.h"
#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using Rows = std::vector<std::string>;

class LibraryTest : public HomeTest {
 protected:
  // A node of project 9.
  void node(int id, int layer, int parent, const std::string& name, int type = 3,
            const std::string& sts = "'V'", int project = 9) {
    exec(fmt::format(
        "insert into T_PROJECT_TREE(NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,"
        "TYPE_ID,RESOURCE_TYPE_ID,STS,Bookmarks_Name,NODE_ORDER,PROJECT_TYPE_ID) values "
        "({},{},{},'0',{},{},{},11,{},'BM{}',{},2)",
        id, db::quoted(name), project, layer, parent, type, sts, id, id % 7));
  }
  Rows templateNodes(int resource) {
    return rows(
        fmt::format("select NODE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,STS,TYPE_ID,RESOURCE_TYPE_ID,"
                    "Bookmarks_Name,NODE_ORDER,PROJECT_TYPE from T_RESOURCE_TREE where RESOURCE_ID={} "
                    "order by NODE_ID",
                    resource));
  }
  bool save(const std::string& project, const std::string& name) {
    return obj->SavaBsInResource(project, "ignored", Value(name));
  }
};

TEST_F(LibraryTest, NodesAreRenumberedFromTheFirstProjectNode) {
  exec("insert into T_RESOURCE_TREE(NODE_ID,RESOURCE_ID) values (500,4)");
  node(120, 1, 0, "root", 9);
  node(121, 2, 120, "project's own name", 2);
  for (int id = 122; id <= 135; ++id)
    node(id, id < 125 ? 3 : 4, id < 125 ? 121 : 124, fmt::format("n{}", id));
  EXPECT_TRUE(save("9", "Template"));

  const Rows nodes = templateNodes(5);
  ASSERT_EQ(nodes.size(), 16u);
  EXPECT_EQ(nodes[0], "501|1|381|root|V|9|11|BM120|1|2");  // its parent 0 is shifted like the rest
  EXPECT_EQ(nodes[1], "502|2|1|Template|V|2|11|BM121|2|2");
  EXPECT_EQ(nodes[2], "503|3|502|n122|V|3|11|BM122|3|2");
  EXPECT_EQ(nodes[5], "506|4|505|n125|V|3|11|BM125|6|2");
  EXPECT_EQ(nodes[15], "516|4|505|n135|V|3|11|BM135|2|2");
}

TEST_F(LibraryTest, LayersAreLoweredSoTheDocumentNodeIsOnLayerTwo) {
  node(10, 3, 1, "folder", 3);
  node(11, 4, 10, "doc", 2);
  node(12, 5, 11, "chapter");
  node(13, 6, 12, "section");
  EXPECT_TRUE(save("9", "T"));
  EXPECT_EQ(rows("select LAYER_ID,PARENT_NOED_ID,NODE_NAME from T_RESOURCE_TREE order by NODE_ID"),
            (Rows{"1|-8|folder", "2|1|T", "3|2|chapter", "4|3|section"}));
}

TEST_F(LibraryTest, LayersStayWhenTheDocumentNodeIsHighOrMissing) {
  node(10, 1, 0, "doc", 2);
  node(11, 2, 10, "chapter");
  node(20, 5, 0, "loose", 3, "'V'", 8);
  node(21, 6, 20, "child", 3, "'I'", 8);
  EXPECT_TRUE(save("9", "T"));
  EXPECT_TRUE(save("8", "U"));
  EXPECT_EQ(rows("select RESOURCE_ID,LAYER_ID,NODE_NAME,STS from T_RESOURCE_TREE order by NODE_ID"),
            (Rows{"1|1|T|V", "1|2|chapter|V", "2|5|loose|V", "2|6|child|I"}));
}

TEST_F(LibraryTest, ResourceNumbersFollowTheTreeRowsWritten) {
  node(10, 2, 1, "doc", 2);
  EXPECT_TRUE(save("9", "A"));
  EXPECT_TRUE(save("9", "B"));
  // A project without tree rows writes none, so its number is taken again.
  exec(
      "insert into T_ACCORDED_CHECK(PROJECT_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI) values "
      "(5,'0',1,'c','V','o')");
  EXPECT_TRUE(save("5", "C"));
  EXPECT_TRUE(save("9", "D"));
  EXPECT_EQ(rows("select RESOURCE_ID,NODE_NAME from T_RESOURCE_TREE order by NODE_ID"),
            (Rows{"1|A", "2|B", "3|D"}));
  EXPECT_EQ(scalar("select RESOURCE_ID from T_ACCORDED_CHECK_INFO"), "3");
}

TEST_F(LibraryTest, ANullInAWrittenTreeColumnEndsTheSave) {
  node(10, 2, 1, "doc", 2);
  exec("update T_PROJECT_TREE set NODE_NAME=NULL where NODE_ID=10");  // replaced by the template name
  node(11, 3, 10, "a");
  node(12, 3, 10, "b", 3, "NULL");
  node(13, 3, 10, "c");
  exec(
      "insert into T_ACCORDED_CHECK(PROJECT_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI) values "
      "(9,'0',1,'c','V','o')");
  EXPECT_THROW(save("9", "T"), Error);
  EXPECT_EQ(rows("select NODE_NAME from T_RESOURCE_TREE order by NODE_ID"), (Rows{"T", "a"}));
  EXPECT_EQ(scalar("select count(*) from T_ACCORDED_CHECK_INFO"), "0");
  EXPECT_THROW(obj->SavaBsInResource("9", "", Value::null()), Error);  // a name without text
}

TEST_F(LibraryTest, TheProjectNumberCannotWidenTheSelection) {
  node(10, 2, 1, "doc", 2);
  node(20, 2, 1, "other", 2, "'V'", 8);
  exec(
      "insert into T_GRADE_INGREDIENT(GRADE_ITEM_ID,PROJECT_ID,CONTENT,REMARK,SCALE,STS,ITEM_FLAG) values "
      "(1,8,'c','r',1,'V','T')");
  EXPECT_TRUE(save("9 or 1=1", "T"));
  EXPECT_TRUE(save("9' or '1'='1", "T"));
  EXPECT_EQ(scalar("select count(*) from T_RESOURCE_TREE"), "0");
  EXPECT_EQ(scalar("select count(*) from T_GRADE_INGREDIENT_INFO"), "0");
}

// --- the attached tables --------------------------------------------------

class LibraryDataTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    node(10, 2, 1, "doc", 2);
  }
  void item(int id, const std::string& sts = "'V'", int project = 9) {
    exec(fmt::format(
        "insert into T_GRADE_INGREDIENT(GRADE_ITEM_ID,PROJECT_ID,CONTENT,REMARK,SCALE,STS,ITEM_FLAG) "
        "values ({},{},'item{}',NULL,10,{},NULL)",
        id, project, id, sts));
  }
  void factor(int id, int item, const std::string& sts = "'V'") {
    exec(fmt::format(
        "insert into T_GRADE_INGREDIENT_DETAIL(INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,REMARK,"
        "SCALE,STS) values ({},{},'factor{}',NULL,'r',NULL,{})",
        id, item, id, sts));
  }
  void rule(int id, int factor, const std::string& sts = "'V'") {
    exec(
        fmt::format("insert into T_AUTO_GRADE_DETAILS(AUTO_GRADE_ID,INGREDIENT_ID,UNIT,MARK,UPPER_LIMIT,"
                    "QIALEFICATION,STS) values ({},{},'%',1.5,'9',NULL,{})",
                    id, factor, sts));
  }
};

TEST_F(LibraryDataTest, ScoringTreeIsCopiedBottomUpUnderNewNumbers) {
  exec("insert into T_GRADE_INGREDIENT_DETAIL_INFO(INGREDIENT_ID) values (70)");
  item(1);
  item(2);
  for (int f = 0; f < 6; ++f) factor(11 + f, f < 3 ? 1 : 2);
  rule(21, 12);
  rule(22, 12);
  exec("create temp table write_log(seq integer primary key, what text)");
  exec(
      "create temp trigger log_rule after insert on T_AUTO_GRADE_DETAILS_INFO begin insert into "
      "write_log(what) values ('rule>' || new.INGREDIENT_ID); end");
  exec(
      "create temp trigger log_factor after insert on T_GRADE_INGREDIENT_DETAIL_INFO begin insert into "
      "write_log(what) values ('factor ' || new.INGREDIENT_ID || '>' || new.GRADE_ITEM_ID); end");
  exec(
      "create temp trigger log_item after insert on T_GRADE_INGREDIENT_INFO begin insert into "
      "write_log(what) values ('item ' || new.GRADE_ITEM_ID); end");

  EXPECT_TRUE(save("9", "T"));
  EXPECT_EQ(rows("select what from write_log order by seq"),
            (Rows{"factor 71>1", "rule>72", "rule>72", "factor 72>1", "factor 73>1", "item 1", "factor 74>2",
                  "factor 75>2", "factor 76>2", "item 2"}));
  EXPECT_EQ(rows("select GRADE_ITEM_ID,RESOURCE_ID,SEQ_ID,CONTENT,REMARK,SCALE,STS,ITEM_FLAG from "
                 "T_GRADE_INGREDIENT_INFO order by GRADE_ITEM_ID"),
            (Rows{"1|1|0|item1| |10|V| ", "2|1|0|item2| |10|V| "}));
  EXPECT_EQ(scalar("select INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,REMARK,SCALE,STS from "
                   "T_GRADE_INGREDIENT_DETAIL_INFO where INGREDIENT_ID=72"),
            "72|1|factor12|0|r|0|V");
  EXPECT_EQ(rows("select AUTO_GRADE_ID,INGREDIENT_ID,UNIT,MARK,UPPER_LIMIT,QIALEFICATION,STS from "
                 "T_AUTO_GRADE_DETAILS_INFO order by AUTO_GRADE_ID"),
            (Rows{"1|72|%|1.5|9|0|V", "2|72|%|1.5|9|0|V"}));
  // The project keeps its NULLs.
  EXPECT_EQ(scalar("select REMARK, ITEM_FLAG from T_GRADE_INGREDIENT where GRADE_ITEM_ID=1"), "NULL|NULL");
}

TEST_F(LibraryDataTest, OnlyLiveRowsAreCopied) {
  item(1, "'I'");
  factor(11, 1);
  item(2);
  factor(12, 2, "'X'");
  rule(21, 12);
  factor(13, 2);
  rule(22, 13, "'I'");
  rule(23, 13);
  item(3, "'V'", 8);  // another project
  EXPECT_TRUE(save("9", "T"));
  EXPECT_EQ(scalar("select group_concat(CONTENT) from T_GRADE_INGREDIENT_INFO"), "item2");
  EXPECT_EQ(scalar("select group_concat(NAME) from T_GRADE_INGREDIENT_DETAIL_INFO"), "factor13");
  EXPECT_EQ(scalar("select count(*) from T_AUTO_GRADE_DETAILS_INFO"), "1");
}

TEST_F(LibraryDataTest, ChecksAreWrittenLiveWithBundleZeroForNull) {
  exec("insert into T_ACCORDED_CHECK_INFO(CHECK_ID) values (40)");
  exec(
      "insert into T_ACCORDED_CHECK(PROJECT_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI) values "
      "(9,NULL,1,'c1','V','o'), (9,'2',2,NULL,'V',NULL), (9,'3',3,'gone','I','o')");
  EXPECT_TRUE(save("9", "T"));
  EXPECT_EQ(
      rows("select RESOURCE_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI from T_ACCORDED_CHECK_INFO where "
           "RESOURCE_ID=1 order by CHECK_ID"),
      (Rows{"1|0|41|c1|V|o", "1|2|42| |V| "}));
}

TEST_F(LibraryDataTest, BidLinesReplaceEveryNullInTheCopyOnly) {
  exec(
      "insert into TJ_OPEN_BID_DETAILS(PROJECT_ID,BUNDLE_ID,GOOD_NAME,SPEC,STS,TBS_REMARK) values "
      "(9,'1','pc','i5','V','bidder note')");
  EXPECT_TRUE(save("9", "T"));
  EXPECT_EQ(scalar("select PROJECT_ID,BUNDLE_ID,RESOURCE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,"
                   "DELIVERY_DATE,AMOUNT,BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE from "
                   "TJ_OPEN_BID_DETAILS_INFO"),
            "9|1|1|0| | | |pc| |0|0|i5| |V|0");
  EXPECT_EQ(scalar("select BAIL, REMARK, REG_SUM_TYPE from TJ_OPEN_BID_DETAILS"), "NULL|NULL|NULL");
}

TEST_F(LibraryDataTest, ProjectRecordTakesTheTemplateNameAndKeepsTheProjectNumber) {
  exec(
      "insert into "
      "TJ_PROCUREMENT_PROJECT(PROJECT_ID,BUNDLE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,"
      "JUDGE_WAY,PROJECT_TYPE,CATEGORY_ID,STS,SERIAL_NUMBER) values (9,'0','Project "
      "name',NULL,'5',1,2,3,'V','S1'),"
      "(9,'1','Old',1,'5',1,2,3,'I','S0')");
  const std::string name = "Goods' template";
  EXPECT_TRUE(save("9", name));
  EXPECT_EQ(rows("select PROJECT_ID,BUNDLE_ID,RESOURCE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,"
                 "JUDGE_WAY,PROJECT_TYPE,CATEGORY_ID,STS from TJ_PROCUREMENT_PROJECT_INFO"),
            (Rows{"9|0|1|" + name + "|0|5|1|2|3|V"}));
  EXPECT_EQ(scalar("select NODE_NAME from T_RESOURCE_TREE where TYPE_ID=2"), name);
}

}  // namespace
}  // namespace quillon::test
