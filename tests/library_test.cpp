// Saving a project into the template library: tree renumbering and layers,
// the attached tables, and how failures end the save.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using Rows = std::vector<std::string>;

// Tables for fill(), which takes "(...), (...)" rows of the leading columns
// named; the rest are fixed.
constexpr const char* kNodes =
    "T_PROJECT_TREE(NODE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,TYPE_ID,STS,PROJECT_ID,BUNDLE_ID,"
    "RESOURCE_TYPE_ID,Bookmarks_Name,NODE_ORDER,PROJECT_TYPE_ID) select *, '0', 11, 'BM' || column1, "
    "column1 % 7, 2";
constexpr const char* kItems =
    "T_GRADE_INGREDIENT(GRADE_ITEM_ID,STS,PROJECT_ID,CONTENT,REMARK,SCALE,ITEM_FLAG) "
    "select *, 'item' || column1, NULL, 10, NULL";
constexpr const char* kChecks =
    "T_ACCORDED_CHECK(PROJECT_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI) select *";

class LibraryTest : public HomeTest {
 protected:
  void fill(const char* table, const std::string& values) {
    exec(fmt::format("insert into {} from (values {}) v", table, values));
  }
};

TEST_F(LibraryTest, NodesAreRenumberedFromTheFirstProjectNode) {
  exec("insert into T_RESOURCE_TREE(NODE_ID,RESOURCE_ID) values (500,4)");
  fill(kNodes, "(120,1,0,'root',9,'V',9), (121,2,120,'project''s own name',2,'V',9)");
  for (int id = 122; id <= 135; ++id)
    fill(kNodes, fmt::format("({},{},{},'n{}',3,'V',9)", id, id < 125 ? 3 : 4, id < 125 ? 121 : 124, id));
  EXPECT_TRUE(obj->SavaBsInResource("9", "", Value("Template")));

  EXPECT_EQ(scalar("select count(*), min(NODE_ID), max(NODE_ID) from T_RESOURCE_TREE where RESOURCE_ID=5"),
            "16|501|516");
  EXPECT_EQ(
      rows("select NODE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,STS,TYPE_ID,RESOURCE_TYPE_ID,Bookmarks_Name,"
           "NODE_ORDER,PROJECT_TYPE from T_RESOURCE_TREE where NODE_ID in (501,502,503,506,516) order by "
           "NODE_ID"),
      (Rows{"501|1|0|root|V|9|11|BM120|1|2",  // no category of type 2 here to hang it under
            "502|2|1|Template|V|2|11|BM121|2|2", "503|3|502|n122|V|3|11|BM122|3|2",
            "506|4|505|n125|V|3|11|BM125|6|2", "516|4|505|n135|V|3|11|BM135|2|2"}));
}

TEST_F(LibraryTest, LayersAreLoweredSoTheDocumentNodeIsOnLayerTwo) {
  // Project 9's document node is on layer 4; project 8's on layer 1 and
  // project 7 has none: those two keep their layers.
  fill(kNodes,
       "(10,3,1,'folder',3,'V',9), (11,4,10,'doc',2,'V',9), (12,5,11,'chapter',3,'V',9), "
       "(13,6,12,'section',3,'V',9), (20,1,0,'doc',2,'V',8), (21,2,20,'chapter',3,'V',8), "
       "(30,5,0,'loose',3,'V',7), (31,6,30,'child',3,'I',7)");
  for (const char* project : {"9", "8", "7"}) EXPECT_TRUE(obj->SavaBsInResource(project, "", Value("T")));
  EXPECT_EQ(rows("select RESOURCE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,STS from T_RESOURCE_TREE order by "
                 "NODE_ID"),
            (Rows{"1|1|0|folder|V", "1|2|1|T|V", "1|3|2|chapter|V", "1|4|3|section|V", "2|1|1|T|V",
                  "2|2|5|chapter|V", "3|5|0|loose|V", "3|6|7|child|I"}));
}

TEST_F(LibraryTest, ResourceNumbersFollowTheTreeRowsWrittenAndNullsEndTheSave) {
  fill(kNodes, "(10,2,1,'doc',2,'V',9), (20,2,1,'other',2,'V',8)");
  fill(kItems, "(1,'V',8)");
  EXPECT_TRUE(obj->SavaBsInResource("9", "77", Value("A")));  // the given resource number is not used
  EXPECT_TRUE(obj->SavaBsInResource("9", "", Value("B")));
  // A project without tree rows writes none, so its number is taken again.
  fill(kChecks, "(5,'0',1,'c','V','o')");
  EXPECT_TRUE(obj->SavaBsInResource("5", "", Value("C")));
  EXPECT_TRUE(obj->SavaBsInResource("9", "", Value("D")));
  // The project number cannot widen the selection.
  EXPECT_TRUE(obj->SavaBsInResource("9 or 1=1", "", Value("E")));
  EXPECT_TRUE(obj->SavaBsInResource("9' or '1'='1", "", Value("F")));
  // A NULL in a written tree column ends the save with an error, except the
  // document node's name, which is replaced by the template name.
  fill(kNodes, "(30,2,1,NULL,2,'V',6), (31,3,30,'a',3,'V',6), (32,3,30,'b',3,NULL,6), (33,3,30,'c',3,'V',6)");
  fill(kChecks, "(6,'0',2,'c','V','o')");
  EXPECT_THROW(obj->SavaBsInResource("6", "", Value("G")), Error);
  EXPECT_THROW(obj->SavaBsInResource("9", "", Value::null()), Error);  // a name without text
  EXPECT_EQ(rows("select RESOURCE_ID,NODE_NAME from T_RESOURCE_TREE order by NODE_ID"),
            (Rows{"1|A", "2|B", "3|D", "4|G", "4|a"}));
  EXPECT_EQ(rows("select RESOURCE_ID from T_ACCORDED_CHECK_INFO"), (Rows{"3"}));
  EXPECT_EQ(scalar("select count(*) from T_GRADE_INGREDIENT_INFO"), "0");
}

TEST_F(LibraryTest, AttachedRowsAreCopiedLiveBottomUpUnderNewNumbersWithNullsReplacedInTheCopyOnly) {
  fill(kNodes, "(10,2,1,'doc',2,'V',9)");
  exec("insert into T_GRADE_INGREDIENT_DETAIL_INFO(INGREDIENT_ID) values (70)");
  // Left out: item 3 (invalidated) with its rows, factor 17 ('X'), rule 24 ('I'),
  // item 4 of another project.
  fill(kItems, "(1,'V',9), (2,'V',9), (3,'I',9), (4,'V',8)");
  fill(
      "T_GRADE_INGREDIENT_DETAIL(INGREDIENT_ID,GRADE_ITEM_ID,STS,NAME,GRADE_MODE_ID,REMARK,SCALE) "
      "select *, 'factor' || column1, NULL, 'r', NULL",
      "(11,1,'V'), (12,1,'V'), (14,2,'V'), (15,2,'V'), (17,2,'X'), (18,3,'V')");
  fill(
      "T_AUTO_GRADE_DETAILS(AUTO_GRADE_ID,INGREDIENT_ID,STS,UNIT,MARK,UPPER_LIMIT,QIALEFICATION) "
      "select *, '%', 1.5, '9', NULL",
      "(21,12,'V'), (22,12,'V'), (23,17,'V'), (24,14,'I'), (25,18,'V')");
  logInserts("T_AUTO_GRADE_DETAILS_INFO", "'rule>' || new.INGREDIENT_ID");
  logInserts("T_GRADE_INGREDIENT_DETAIL_INFO", "'factor ' || new.INGREDIENT_ID || '>' || new.GRADE_ITEM_ID");
  logInserts("T_GRADE_INGREDIENT_INFO", "'item ' || new.GRADE_ITEM_ID");

  exec("insert into T_ACCORDED_CHECK_INFO(CHECK_ID) values (40)");
  fill(kChecks, "(9,NULL,1,'c1','V','o'), (9,'2',2,NULL,'V',NULL), (9,'3',3,'gone','I','o')");
  fill("TJ_OPEN_BID_DETAILS(PROJECT_ID,BUNDLE_ID,GOOD_NAME,SPEC,STS,TBS_REMARK) select *",
       "(9,'1','pc','i5','V','bidder note')");
  fill(
      "TJ_PROCUREMENT_PROJECT(PROJECT_ID,BUNDLE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,JUDGE_"
      "WAY,"
      "PROJECT_TYPE,CATEGORY_ID,STS,SERIAL_NUMBER) select *",
      "(9,'0','Project name',NULL,'5',1,2,3,'V','S1'), (9,'1','Old',1,'5',1,2,3,'I','S0')");
  const std::string name = "Goods' template";
  EXPECT_TRUE(obj->SavaBsInResource("9", "", Value(name)));
  EXPECT_EQ(rows("select what from writes order by seq"),
            (Rows{"factor 71>1", "rule>72", "rule>72", "factor 72>1", "item 1", "factor 73>2", "factor 74>2",
                  "item 2"}));
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
  EXPECT_EQ(rows("select RESOURCE_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI from T_ACCORDED_CHECK_INFO "
                 "where RESOURCE_ID=1 order by CHECK_ID"),
            (Rows{"1|0|41|c1|V|o", "1|2|42| |V| "}));
  EXPECT_EQ(scalar("select PROJECT_ID,BUNDLE_ID,RESOURCE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,"
                   "DELIVERY_DATE,AMOUNT,BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE from "
                   "TJ_OPEN_BID_DETAILS_INFO"),
            "9|1|1|0| | | |pc| |0|0|i5| |V|0");
  EXPECT_EQ(scalar("select BAIL, REMARK, REG_SUM_TYPE from TJ_OPEN_BID_DETAILS"), "NULL|NULL|NULL");
  // The record takes the template name and keeps the project number.
  EXPECT_EQ(rows("select PROJECT_ID,BUNDLE_ID,RESOURCE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,"
                 "JUDGE_WAY,PROJECT_TYPE,CATEGORY_ID,STS from TJ_PROCUREMENT_PROJECT_INFO"),
            (Rows{"9|0|1|" + name + "|0|5|1|2|3|V"}));
  EXPECT_EQ(scalar("select NODE_NAME from T_RESOURCE_TREE where TYPE_ID=2"), name);
}

}  // namespace
}  // namespace quillon::test
