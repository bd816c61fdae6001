// A new project from a template: the tree walk and numbering, the copies of
// the attached data, and what happens on the way when a row cannot be copied.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "component/session_access.h"
#include "instantiate/instantiation.h"
#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using Rows = std::vector<std::string>;

// Tables for fill(), which takes "(...), (...)" rows of the leading columns
// named; the rest are fixed. Everything belongs to template 3.
constexpr const char* kNodes =
    "T_RESOURCE_TREE(NODE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,TYPE_ID,STS,Bookmarks_Name,NODE_ORDER,"
    "RESOURCE_TYPE_ID,RESOURCE_ID,PROJECT_TYPE) select *, 'BM', 1, 11, 3, 4";
constexpr const char* kItems =
    "T_GRADE_INGREDIENT_INFO(GRADE_ITEM_ID,REMARK,SCALE,STS,ITEM_FLAG,RESOURCE_ID,SEQ_ID,CONTENT) "
    "select *, 3, column1, 'item' || column1";
constexpr const char* kChecks =
    "T_ACCORDED_CHECK_INFO(CHECK_ID,BUNDLE_ID,CONTENT,STS,RESOURCE_ID,CHECK_ORI) select *, 3, 'ori'";
constexpr const char* kRecords =
    "TJ_PROCUREMENT_PROJECT_INFO(BUNDLE_ID,PROMODE_ID,STS,PROJECT_ID,RESOURCE_ID,PROJECT_NAME,"
    "AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,PROJECT_TYPE,CATEGORY_ID,APPRAISE_MODE) "
    "select *, 0, 3, 'template', NULL, 2, 1, NULL, 'm'";

class InstantiateTest : public HomeTest {
 protected:
  void fill(const char* table, const std::string& values) {
    exec(fmt::format("insert into {} from (values {}) v", table, values));
  }
  Rows names(int project) {
    return rows(fmt::format(
        "select NODE_NAME,LAYER_ID,STS from T_PROJECT_TREE where PROJECT_ID={} order by NODE_ID", project));
  }
  std::string count(const std::string& from) { return scalar("select count(*) from " + from); }
  instantiate::TemplateInstantiation steps() { return instantiate::TemplateInstantiation(sessionOf(*obj)); }
};

// --- the document tree ----------------------------------------------------

TEST_F(InstantiateTest, TreeIsWalkedDepthFirstAndNumberedInWalkOrder) {
  fill(kNodes, "(10,2,1,'Template',2,'V'), (11,3,10,'A''s',3,'V'), (12,3,10,'B',3,'V'), (13,4,11,'C',5,'V')");
  // B has no order and C no bookmark.
  exec("update T_RESOURCE_TREE set NODE_ORDER=NULL where NODE_ID=12");
  exec("update T_RESOURCE_TREE set Bookmarks_Name=NULL where NODE_ID=13");
  exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID,LAYER_ID,TYPE_ID) values (50,7,1,9)");
  const std::string name = "O'Brien's 'quoted' tender";
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 7, name, 50, 1), 7);
  EXPECT_EQ(
      rows("select NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,"
           "RESOURCE_TYPE_ID,STS,Bookmarks_Name,NODE_ORDER,PROJECT_TYPE_ID from T_PROJECT_TREE "
           "order by NODE_ID"),
      (Rows{"50|NULL|7|NULL|1|NULL|9|NULL|NULL|NULL|NULL|NULL", "51|" + name + "|7|0|2|50|2|11|V|BM|1|4",
            "52|A's|7|0|3|51|3|11|V|BM|1|4", "53|C|7|0|4|52|5|11|V|B|1|4", "54|B|7|0|3|51|3|11|V|BM|0|4"}));
  // Project number 0 takes the next free one.
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 0, "Doc", 0, 1), 8);
  EXPECT_EQ(count("T_PROJECT_TREE where PROJECT_ID=8"), "4");
  // A node that cannot be written (NULL TYPE_ID) stops the copy; the nodes before it stay.
  fill(kNodes, "(14,4,12,'Broken',NULL,'V'), (15,4,12,'After',3,'V')");
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 9, "Doc", 0, 1), -1);
  EXPECT_EQ(names(9), (Rows{"Doc|2|V", "A's|3|V", "C|4|V", "B|3|V"}));
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(InstantiateTest, OnlyNodesWithALiveChildOnTheNextLayerHaveTheirChildrenCopied) {
  // Top nodes (layer 2, type 2) are copied live or not, and without a name
  // given they all take the name of the first.
  fill(kNodes,
       "(10,2,1,'First',2,'I'), (11,3,10,'OnlyDeadChildren',3,'V'), (12,4,11,'dead1',3,'I'), "
       "(13,4,11,'dead2',3,'I'), (14,3,10,'Mixed',3,'V'), (15,4,14,'live',3,'V'), (16,4,14,'dead',3,'I'), "
       "(17,3,10,'DeadWithLiveChild',3,'I'), (18,4,17,'liveUnderDead',3,'V'), (19,5,10,'WrongLayer',3,'V'), "
       "(20,3,0,'UnderNodeZero',3,'V'), (30,2,1,'Second',2,'V'), (31,3,30,'b',3,'V'), "
       "(40,2,1,'NotADocument',3,'V')");
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 7, "", 0, 1), 7);
  EXPECT_EQ(names(7), (Rows{"First|2|I", "OnlyDeadChildren|3|V", "Mixed|3|V", "live|4|V", "dead|4|I",
                            "DeadWithLiveChild|3|I", "liveUnderDead|4|V", "First|2|V", "b|3|V"}));
  auto s = steps();
  EXPECT_FALSE(s.isHaveChild(14, 4));
  EXPECT_FALSE(s.isHaveChild(0, 2));  // node 0 has no children by definition
  // The same test on the project tree.
  exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID,LAYER_ID,PARENT_NOED_ID,STS) values (51,7,2,50,'I')");
  EXPECT_FALSE(s.R_isHaveChild(50, 1));
  exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID,LAYER_ID,PARENT_NOED_ID,STS) values (52,7,2,50,'V')");
  EXPECT_TRUE(s.R_isHaveChild(50, 1));
  EXPECT_FALSE(s.isHaveChild(50, 1));
  // A child recorded under another template still hangs under its parent
  // and is copied with it, wherever the tree is read from.
  exec(
      "insert into T_RESOURCE_TREE(NODE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,TYPE_ID,STS,RESOURCE_TYPE_ID,"
      "RESOURCE_ID,PROJECT_TYPE) values (90,4,31,'foreign',3,'V',11,4,4)");
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 9, "", 0, 1), 9);
  EXPECT_EQ(names(9),
            (Rows{"First|2|I", "OnlyDeadChildren|3|V", "Mixed|3|V", "live|4|V", "dead|4|I",
                  "DeadWithLiveChild|3|I", "liveUnderDead|4|V", "First|2|V", "b|3|V", "foreign|4|V"}));
  // A template without top nodes still gives the project number.
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(99, 8, "Doc", 0, 1), 8);
  EXPECT_EQ(count("T_PROJECT_TREE where PROJECT_ID=8"), "0");
}

TEST_F(InstantiateTest, DeepTemplatesAreCopiedWhole) {
  exec(std::string("insert into ") + kNodes +
       " from (with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
       "select 1000 + i, i + 1, case when i = 1 then 1 else 999 + i end, 'n' || i, "
       "case when i = 1 then 2 else 3 end, 'V' from n) nodes");
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 7, "", 0, 1), 7);
  EXPECT_EQ(scalar("select count(*), max(LAYER_ID) from T_PROJECT_TREE where PROJECT_ID=7"), "3000|3001");
  // Every copy hangs under the copy of its template parent, one layer down.
  EXPECT_EQ(count("T_PROJECT_TREE c join T_PROJECT_TREE p on c.PARENT_NOED_ID=p.NODE_ID and "
                  "c.LAYER_ID=p.LAYER_ID+1 and 'n'||(cast(substr(c.NODE_NAME,2) as integer)-1)=p.NODE_NAME"),
            "2999");
}

// --- the attached data ----------------------------------------------------

TEST_F(InstantiateTest, LiveRowsAreCopiedNumberedBelowFirstAndScoringRowsWrittenBottomUp) {
  exec("insert into T_GRADE_INGREDIENT(GRADE_ITEM_ID,PROJECT_ID,STS) values (40,1,'V')");
  exec("insert into T_GRADE_INGREDIENT_DETAIL(INGREDIENT_ID,GRADE_ITEM_ID,STS) values (60,40,'V')");
  exec("insert into T_AUTO_GRADE_DETAILS(AUTO_GRADE_ID,INGREDIENT_ID,STS) values (100,60,'V')");
  // Invalidated rows are left out with everything below them.
  fill(kItems, "(4,'r',1,'I','T'), (5,NULL,NULL,'V','T'), (6,'r',10,'V','T')");
  fill(
      "T_GRADE_INGREDIENT_DETAIL_INFO(INGREDIENT_ID,GRADE_ITEM_ID,STS,NAME,GRADE_MODE_ID,REMARK,"
      "SCALE) select *, 'factor' || column1, 2, NULL, 5",
      "(7,4,'V'), (8,5,'V'), (9,5,'V'), (10,6,'I'), (11,6,'V')");
  fill(
      "T_AUTO_GRADE_DETAILS_INFO(AUTO_GRADE_ID,INGREDIENT_ID,STS,UNIT,MARK,UPPER_LIMIT,"
      "QIALEFICATION) select *, '%', column1 + 0.5, NULL, 1",
      "(19,7,'V'), (20,8,'V'), (21,8,'V'), (22,10,'V'), (23,11,'I')");
  exec("insert into T_ACCORDED_CHECK(PROJECT_ID,CHECK_ID,STS) values (1,30,'V')");
  fill(kChecks, "(1,NULL,'c','V'), (2,'2','c','V'), (3,'1','gone','I')");
  fill(kRecords, "('1',1,'V'), ('2',2,'V'), ('0',3,'I')");
  logInserts("T_AUTO_GRADE_DETAILS", "'rule ' || new.AUTO_GRADE_ID || '>' || new.INGREDIENT_ID");
  logInserts("T_GRADE_INGREDIENT_DETAIL", "'factor ' || new.INGREDIENT_ID || '>' || new.GRADE_ITEM_ID");
  logInserts("T_GRADE_INGREDIENT", "'item ' || new.GRADE_ITEM_ID || '>' || new.PROJECT_ID");

  EXPECT_TRUE(obj->New_Bs(3, 0, "Doc", "7"));
  EXPECT_EQ(rows("select what from writes order by seq"),
            (Rows{"rule 101>61", "rule 102>61", "factor 61>41", "factor 62>41", "item 41>7", "factor 63>42",
                  "item 42>7"}));
  // NULLs are filled in the copy only.
  EXPECT_EQ(rows("select GRADE_ITEM_ID,CONTENT,REMARK,SCALE,STS,ITEM_FLAG from T_GRADE_INGREDIENT where "
                 "PROJECT_ID=7"),
            (Rows{"41|item5| |0|V|T", "42|item6|r|10|V|T"}));
  EXPECT_EQ(scalar("select REMARK, SCALE from T_GRADE_INGREDIENT_INFO where GRADE_ITEM_ID=5"), "NULL|NULL");
  EXPECT_EQ(rows("select 'factor',INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,REMARK,SCALE,STS from "
                 "T_GRADE_INGREDIENT_DETAIL where INGREDIENT_ID>60 union all select 'rule',AUTO_GRADE_ID,"
                 "INGREDIENT_ID,UNIT,MARK,UPPER_LIMIT,QIALEFICATION,STS from T_AUTO_GRADE_DETAILS where "
                 "AUTO_GRADE_ID>100 order by 1, 2"),
            (Rows{"factor|61|41|factor8|2| |5|V", "factor|62|41|factor9|2| |5|V",
                  "factor|63|42|factor11|2| |5|V", "rule|101|61|%|20.5| |1|V", "rule|102|61|%|21.5| |1|V"}));
  // Checks get bundle 0 for NULL; records take the new number and name.
  EXPECT_EQ(rows("select PROJECT_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI from T_ACCORDED_CHECK where "
                 "PROJECT_ID=7 order by CHECK_ID"),
            (Rows{"7|0|31|c|V|ori", "7|2|32|c|V|ori"}));
  EXPECT_EQ(rows("select PROJECT_ID,BUNDLE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,"
                 "PROJECT_TYPE,CATEGORY_ID,STS,APPRAISE_MODE from TJ_PROCUREMENT_PROJECT order by BUNDLE_ID"),
            (Rows{"7|1|Doc|1| |2|1|0|V|m", "7|2|Doc|2| |2|1|0|V|m"}));
  auto s = steps();
  EXPECT_EQ(s.copy_ProjectFromInfo(3, "Doc", 8), 8);
  EXPECT_EQ(s.copy_ProjectFromInfo(4, "Doc", 9), 0);    // no live record
  EXPECT_EQ(s.copy_ProjectFromInfo(3, "Doc", -1), -1);  // refused, nothing written
  EXPECT_EQ(count("TJ_PROCUREMENT_PROJECT"), "4");
}

TEST_F(InstantiateTest, AFailedStepCopiesNothingAfterItAndNullsAreFilledExceptWhereTheyEndACopy) {
  fill(kChecks, "(1,'1','c','V'), (2,'1',NULL,'V')");                           // the second has no content
  fill(kItems, "(5,'r',10,'V','T'), (6,'r',10,'V',NULL), (7,'r',10,'V','T')");  // the second has no flag
  fill("TJ_OPEN_BID_DETAILS_INFO(PROJECT_ID,BUNDLE_ID,RESOURCE_ID,GOOD_NAME,STS,REG_SUM_TYPE) select *",
       "(0,'1',3,'pc','V',2)");
  if (onServer()) {
    fill(kRecords, "('0',1,'V')");  // a server's number column holds numbers only
  } else {
    fill(kRecords, "('0','not a number','V')");  // a plain column that holds no number
    EXPECT_FALSE(obj->New_Bs(3, 0, "Doc", "7"));
    exec("update TJ_PROCUREMENT_PROJECT_INFO set PROMODE_ID=1");
  }
  EXPECT_FALSE(obj->New_Bs(3, 0, "Doc", "-1"));
  for (const char* t :
       {"TJ_PROCUREMENT_PROJECT", "T_ACCORDED_CHECK", "T_GRADE_INGREDIENT", "TJ_OPEN_BID_DETAILS"})
    EXPECT_EQ(count(t), "0") << t;
  EXPECT_TRUE(host.shown.empty());

  // A project number that is no number fails after the record (its name stored as given).
  const std::string name = "O'Brien's 'quoted' tender";
  EXPECT_THROW(obj->New_Bs(3, 0, name, "7x"), Error);
  EXPECT_EQ(scalar("select PROJECT_ID, PROJECT_NAME from TJ_PROCUREMENT_PROJECT"), "7|" + name);
  EXPECT_EQ(count("T_ACCORDED_CHECK"), "0");

  // The check without content fails New_Bs, before bid lines and items.
  EXPECT_FALSE(obj->New_Bs(3, 0, "Doc", "8"));
  EXPECT_EQ(count("T_ACCORDED_CHECK where PROJECT_ID=8"), "1");
  EXPECT_EQ(count("TJ_OPEN_BID_DETAILS"), "0");
  EXPECT_EQ(count("T_GRADE_INGREDIENT"), "0");

  // Without it, and with no live project record, the rest is copied: bid
  // lines are filled except their sum type; the item without a flag ends the
  // item copy (it and those after it are missing), and New_Bs does not look
  // at that result.
  exec("delete from T_ACCORDED_CHECK_INFO where CONTENT is null");
  exec("update TJ_PROCUREMENT_PROJECT_INFO set STS='I'");
  EXPECT_TRUE(obj->New_Bs(3, 0, "Doc", "9"));
  EXPECT_EQ(scalar("select PROJECT_ID,BUNDLE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,DELIVERY_DATE,"
                   "AMOUNT,BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE from TJ_OPEN_BID_DETAILS"),
            "9|1|0| | | |pc| |0|0| | |V|2");
  EXPECT_EQ(rows("select CONTENT from T_GRADE_INGREDIENT"), Rows{"item5"});
  exec("update TJ_OPEN_BID_DETAILS_INFO set REG_SUM_TYPE=NULL");
  EXPECT_FALSE(steps().initProjectOpenBidDetails(3, 10));
}

}  // namespace
}  // namespace quillon::test
