// A new project from a template: the tree walk and numbering, the copies of
// the attached data, and what happens on the way when a row cannot be copied.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "component/session.h"
#include "db/sql_text.h"
#include "instantiate/instantiation.h"
#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using Rows = std::vector<std::string>;

constexpr const char* kProjectNodes =
    "select NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,RESOURCE_TYPE_ID,STS,"
    "Bookmarks_Name,NODE_ORDER,PROJECT_TYPE_ID from T_PROJECT_TREE where PROJECT_ID={} order by NODE_ID";

class InstantiateTest : public HomeTest {
 protected:
  // A template node of resource 3; NULL-able columns take "NULL".
  void node(int id, int layer, int parent, const std::string& name, const std::string& type = "3",
            const std::string& sts = "'V'", const std::string& bookmark = "'BM'",
            const std::string& order = "1", int resource = 3) {
    exec(
        fmt::format("insert into T_RESOURCE_TREE(NODE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,STS,TYPE_ID,"
                    "RESOURCE_TYPE_ID,RESOURCE_ID,Bookmarks_Name,NODE_ORDER,PROJECT_TYPE) values "
                    "({},{},{},{},{},{},11,{},{},{},4)",
                    id, layer, parent, db::quoted(name), sts, type, resource, bookmark, order));
  }
  void projectRoot(int id, int project) {
    exec(
        fmt::format("insert into T_PROJECT_TREE(NODE_ID,NODE_NAME,PROJECT_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,"
                    "STS) values ({},'R',{},1,0,9,'V')",
                    id, project));
  }
  Rows names(int project) {
    return rows(
        fmt::format("select NODE_NAME,LAYER_ID,STS from T_PROJECT_TREE where PROJECT_ID={} and TYPE_ID<>9 "
                    "order by NODE_ID",
                    project));
  }
  // Logs every insert into the project-side scoring tables, in order.
  void logScoringWrites() {
    exec("create temp table write_log(seq integer primary key, what text)");
    exec(
        "create temp trigger log_rule after insert on T_AUTO_GRADE_DETAILS begin insert into "
        "write_log(what) values ('rule ' || new.AUTO_GRADE_ID || '>' || new.INGREDIENT_ID); end");
    exec(
        "create temp trigger log_factor after insert on T_GRADE_INGREDIENT_DETAIL begin insert into "
        "write_log(what) values ('factor ' || new.INGREDIENT_ID || '>' || new.GRADE_ITEM_ID); end");
    exec(
        "create temp trigger log_item after insert on T_GRADE_INGREDIENT begin insert into "
        "write_log(what) values ('item ' || new.GRADE_ITEM_ID || '>' || new.PROJECT_ID); end");
  }
  instantiate::TemplateInstantiation steps() { return instantiate::TemplateInstantiation(sessionOf(*obj)); }
};

// --- the document tree ----------------------------------------------------

TEST_F(InstantiateTest, TreeIsWalkedDepthFirstAndNumberedInWalkOrder) {
  node(10, 2, 1, "Template", "2");
  node(11, 3, 10, "A");
  node(12, 3, 10, "B", "3", "'V'", "'BM'", "NULL");
  node(13, 4, 11, "C", "5", "'V'", "NULL");
  projectRoot(50, 7);

  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 7, "Doc", 50, 1), 7);
  EXPECT_EQ(rows(fmt::format(kProjectNodes, 7)), (Rows{
                                                     "50|R|7|NULL|1|0|9|NULL|V|NULL|NULL|NULL",
                                                     "51|Doc|7|0|2|50|2|11|V|BM|1|4",
                                                     "52|A|7|0|3|51|3|11|V|BM|1|4",
                                                     "53|C|7|0|4|52|5|11|V|B|1|4",
                                                     "54|B|7|0|3|51|3|11|V|BM|0|4",
                                                 }));
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(InstantiateTest, ProjectNumberZeroTakesTheNextFreeOne) {
  node(10, 2, 1, "Template", "2");
  projectRoot(1, 12);
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 0, "Doc", 1, 1), 13);
  EXPECT_EQ(names(13), (Rows{"Doc|2|V"}));
}

TEST_F(InstantiateTest, OnlyNodesWithALiveChildHaveTheirChildrenCopied) {
  node(10, 2, 1, "T", "2");
  node(11, 3, 10, "OnlyDeadChildren");
  node(12, 4, 11, "dead1", "3", "'I'");
  node(13, 4, 11, "dead2", "3", "'I'");
  node(14, 3, 10, "Mixed");
  node(15, 4, 14, "live", "3", "'V'");
  node(16, 4, 14, "dead", "3", "'I'");
  node(17, 3, 10, "DeadWithLiveChild", "3", "'I'");
  node(18, 4, 17, "liveUnderDead");
  node(19, 5, 10, "WrongLayer");  // points at T but skips a layer
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 7, "", 0, 1), 7);
  EXPECT_EQ(names(7), (Rows{"T|2|V", "OnlyDeadChildren|3|V", "Mixed|3|V", "live|4|V", "dead|4|I",
                            "DeadWithLiveChild|3|I", "liveUnderDead|4|V"}));
}

TEST_F(InstantiateTest, EveryTopNodeTakesTheNameOfTheFirstWhenNoneIsGiven) {
  node(10, 2, 1, "First", "2", "'I'");  // top nodes are copied live or not
  node(11, 3, 10, "a");
  node(20, 2, 1, "Second", "2");
  node(21, 3, 20, "b");
  node(30, 2, 1, "NotADocument", "3");
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 7, "", 0, 1), 7);
  EXPECT_EQ(names(7), (Rows{"First|2|I", "a|3|V", "First|2|V", "b|3|V"}));
}

TEST_F(InstantiateTest, TemplateWithoutTopNodeStillGivesTheProjectNumber) {
  node(10, 3, 1, "NoDocument", "3");
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 7, "Doc", 0, 1), 7);
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(99, 8, "Doc", 0, 1), 8);
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE"), "0");
}

TEST_F(InstantiateTest, ANodeThatCannotBeWrittenStopsTheCopySilently) {
  node(10, 2, 1, "T", "2");
  node(11, 3, 10, "A");
  node(12, 4, 11, "Broken", "NULL");  // a NULL TYPE_ID cannot be written
  node(13, 3, 10, "B");
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 7, "Doc", 0, 1), -1);
  EXPECT_EQ(names(7), (Rows{"Doc|2|V", "A|3|V"}));  // written before the failure
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(InstantiateTest, DeepTemplatesAreCopiedWhole) {
  exec(
      "with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
      "insert into T_RESOURCE_TREE(NODE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,STS,TYPE_ID,RESOURCE_TYPE_ID,"
      "RESOURCE_ID,Bookmarks_Name,NODE_ORDER,PROJECT_TYPE) select 1000 + i, i + 1, "
      "case when i = 1 then 1 else 999 + i end, 'n' || i, 'V', case when i = 1 then 2 else 3 end, 11, 3, "
      "'B', "
      "1, 1 from n");
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 7, "", 0, 1), 7);
  EXPECT_EQ(scalar("select count(*), max(LAYER_ID) from T_PROJECT_TREE where PROJECT_ID=7"), "3000|3001");
  // Every copy hangs under the copy of its template parent, one layer down.
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE c join T_PROJECT_TREE p on c.PARENT_NOED_ID = "
                   "p.NODE_ID and c.LAYER_ID = p.LAYER_ID + 1 and 'n' || (substr(c.NODE_NAME, 2) - 1) = "
                   "p.NODE_NAME"),
            "2999");
}

TEST_F(InstantiateTest, ChildTestsCountLiveChildrenOnTheNextLayerOnly) {
  node(10, 2, 1, "T", "2");
  node(11, 3, 10, "dead", "3", "'I'");
  node(20, 2, 1, "U", "2");
  node(21, 4, 20, "skipsALayer");
  node(30, 2, 1, "W", "2");
  node(31, 3, 30, "live");
  auto s = steps();
  EXPECT_FALSE(s.isHaveChild(10, 2));
  EXPECT_FALSE(s.isHaveChild(20, 2));
  EXPECT_TRUE(s.isHaveChild(30, 2));
  EXPECT_FALSE(s.isHaveChild(30, 3));
  exec("update T_RESOURCE_TREE set PARENT_NOED_ID=0 where NODE_ID=31");
  EXPECT_FALSE(s.isHaveChild(0, 2));  // node 0 has no children by definition

  // The same test on the project tree.
  projectRoot(50, 7);
  exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID,LAYER_ID,PARENT_NOED_ID,STS) values (51,7,2,50,'I')");
  EXPECT_FALSE(s.R_isHaveChild(50, 1));
  exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID,LAYER_ID,PARENT_NOED_ID,STS) values (52,7,2,50,'V')");
  EXPECT_TRUE(s.R_isHaveChild(50, 1));
  EXPECT_FALSE(s.isHaveChild(50, 1));
}

TEST_F(InstantiateTest, NamesWithQuotesAreStoredAsGiven) {
  node(10, 2, 1, "T", "2");
  node(11, 3, 10, "Bidder's forms");
  exec(
      "insert into TJ_PROCUREMENT_PROJECT_INFO(PROJECT_ID,BUNDLE_ID,RESOURCE_ID,PROJECT_NAME,PROMODE_ID,"
      "AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,PROJECT_TYPE,CATEGORY_ID,STS,APPRAISE_MODE) values "
      "(0,'0',3,'x',1,'0',1,1,10,'V','m')");
  const std::string name = "O'Brien's 'quoted' tender";
  EXPECT_TRUE(obj->New_Bs(3, 0, name, "7"));
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(3, 7, name, 0, 1), 7);
  EXPECT_EQ(scalar("select PROJECT_NAME from TJ_PROCUREMENT_PROJECT where PROJECT_ID=7"), name);
  EXPECT_EQ(names(7), (Rows{name + "|2|V", "Bidder's forms|3|V"}));
}

// --- the attached data ----------------------------------------------------

class InstantiateDataTest : public InstantiateTest {
 protected:
  void item(int id, const std::string& sts = "'V'", const std::string& remark = "'r'",
            const std::string& scale = "10", const std::string& flag = "'T'", int resource = 3) {
    exec(fmt::format(
        "insert into T_GRADE_INGREDIENT_INFO(GRADE_ITEM_ID,RESOURCE_ID,SEQ_ID,CONTENT,REMARK,SCALE,"
        "STS,ITEM_FLAG) values ({},{},{},'item{}',{},{},{},{})",
        id, resource, id, id, remark, scale, sts, flag));
  }
  void factor(int id, int item, const std::string& sts = "'V'", const std::string& name = "") {
    exec(
        fmt::format("insert into T_GRADE_INGREDIENT_DETAIL_INFO(INGREDIENT_ID,GRADE_ITEM_ID,NAME,"
                    "GRADE_MODE_ID,REMARK,SCALE,STS) values ({},{},{},2,NULL,5,{})",
                    id, item, name.empty() ? fmt::format("'factor{}'", id) : name, sts));
  }
  void rule(int id, int factor, const std::string& sts = "'V'") {
    exec(
        fmt::format("insert into T_AUTO_GRADE_DETAILS_INFO(AUTO_GRADE_ID,INGREDIENT_ID,UNIT,MARK,UPPER_LIMIT,"
                    "QIALEFICATION,STS) values ({},{},'%',{}.5,NULL,1,{})",
                    id, factor, id, sts));
  }
  void check(int id, const std::string& bundle = "'1'", const std::string& content = "'c'") {
    exec(
        fmt::format("insert into T_ACCORDED_CHECK_INFO(RESOURCE_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI) "
                    "values (3,{},{},{},'V','ori')",
                    bundle, id, content));
  }
  void record(const std::string& promode = "1", const std::string& sts = "'V'",
              const std::string& bundle = "'0'") {
    exec(fmt::format(
        "insert into TJ_PROCUREMENT_PROJECT_INFO(PROJECT_ID,BUNDLE_ID,RESOURCE_ID,PROJECT_NAME,"
        "PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,PROJECT_TYPE,CATEGORY_ID,STS,APPRAISE_MODE) "
        "values (0,{},3,'template',{},NULL,2,1,NULL,{},'m')",
        bundle, promode, sts));
  }
  Rows scoring(int project) {
    Rows out = rows(fmt::format(
        "select GRADE_ITEM_ID,CONTENT,REMARK,SCALE,STS,ITEM_FLAG from T_GRADE_INGREDIENT where PROJECT_ID={} "
        "order by GRADE_ITEM_ID",
        project));
    for (const auto& r : rows("select INGREDIENT_ID,GRADE_ITEM_ID,NAME,GRADE_MODE_ID,REMARK,SCALE,STS from "
                              "T_GRADE_INGREDIENT_DETAIL order by INGREDIENT_ID"))
      out.push_back("factor " + r);
    for (const auto& r :
         rows("select AUTO_GRADE_ID,INGREDIENT_ID,UNIT,MARK,UPPER_LIMIT,QIALEFICATION,STS from "
              "T_AUTO_GRADE_DETAILS order by AUTO_GRADE_ID"))
      out.push_back("rule " + r);
    return out;
  }
};

TEST_F(InstantiateDataTest, ScoringRowsAreNumberedBelowFirstAndWrittenBottomUp) {
  exec("insert into T_GRADE_INGREDIENT(GRADE_ITEM_ID,PROJECT_ID,STS) values (40,1,'V')");
  exec("insert into T_GRADE_INGREDIENT_DETAIL(INGREDIENT_ID,GRADE_ITEM_ID,STS) values (60,40,'V')");
  exec("insert into T_AUTO_GRADE_DETAILS(AUTO_GRADE_ID,INGREDIENT_ID,STS) values (100,60,'V')");
  item(5);
  factor(8, 5);
  factor(9, 5);
  rule(20, 8);
  rule(21, 8);
  logScoringWrites();

  EXPECT_TRUE(obj->New_Bs(3, 0, "Doc", "7"));
  EXPECT_EQ(rows("select what from write_log order by seq"),
            (Rows{"rule 101>61", "rule 102>61", "factor 61>41", "factor 62>41", "item 41>7"}));
  EXPECT_EQ(scoring(7), (Rows{
                            "41|item5|r|10|V|T",
                            "factor 60|40|NULL|NULL|NULL|NULL|V",
                            "factor 61|41|factor8|2| |5|V",
                            "factor 62|41|factor9|2| |5|V",
                            "rule 100|60|NULL|NULL|NULL|NULL|V",
                            "rule 101|61|%|20.5| |1|V",
                            "rule 102|61|%|21.5| |1|V",
                        }));
}

TEST_F(InstantiateDataTest, NullsAreFilledInTheCopyOnly) {
  item(5, "'V'", "NULL", "NULL");
  EXPECT_TRUE(obj->New_Bs(3, 0, "Doc", "7"));
  EXPECT_EQ(scoring(7), (Rows{"1|item5| |0|V|T"}));
  EXPECT_EQ(scalar("select REMARK, SCALE from T_GRADE_INGREDIENT_INFO where GRADE_ITEM_ID=5"), "NULL|NULL");
}

TEST_F(InstantiateDataTest, InvalidatedRowsAreLeftOutWithEverythingBelowThem) {
  item(5, "'I'");
  factor(8, 5);
  rule(20, 8);
  item(6);
  factor(9, 6, "'I'");
  rule(21, 9);
  factor(10, 6);
  rule(22, 10, "'I'");
  EXPECT_TRUE(obj->New_Bs(3, 0, "Doc", "7"));
  EXPECT_EQ(scoring(7), (Rows{"1|item6|r|10|V|T", "factor 1|1|factor10|2| |5|V"}));
}

TEST_F(InstantiateDataTest, ChecksGetNewNumbersBundleZeroForNullAndLiveStatus) {
  exec("insert into T_ACCORDED_CHECK(PROJECT_ID,CHECK_ID,STS) values (1,30,'V')");
  check(1, "NULL");
  check(2, "'2'");
  exec(
      "insert into T_ACCORDED_CHECK_INFO(RESOURCE_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI) values "
      "(3,'1',3,'gone','I','ori')");
  EXPECT_TRUE(obj->New_Bs(3, 0, "Doc", "7"));
  EXPECT_EQ(rows("select PROJECT_ID,BUNDLE_ID,CHECK_ID,CONTENT,STS,CHECK_ORI from T_ACCORDED_CHECK where "
                 "PROJECT_ID=7 order by CHECK_ID"),
            (Rows{"7|0|31|c|V|ori", "7|2|32|c|V|ori"}));
}

TEST_F(InstantiateDataTest, ProjectRecordTakesTheNumberAndNameOfTheNewDocument) {
  record("1", "'V'", "'1'");
  record("2", "'V'", "'2'");
  record("3", "'I'");
  auto s = steps();
  EXPECT_EQ(s.copy_ProjectFromInfo(3, "Doc", 7), 7);
  EXPECT_EQ(rows("select PROJECT_ID,BUNDLE_ID,PROJECT_NAME,PROMODE_ID,AVERAGE_PRICE_DROP_SCALE,JUDGE_WAY,"
                 "PROJECT_TYPE,CATEGORY_ID,STS,APPRAISE_MODE from TJ_PROCUREMENT_PROJECT order by BUNDLE_ID"),
            (Rows{"7|1|Doc|1| |2|1|0|V|m", "7|2|Doc|2| |2|1|0|V|m"}));
  EXPECT_EQ(s.copy_ProjectFromInfo(4, "Doc", 8), 0);    // no live record
  EXPECT_EQ(s.copy_ProjectFromInfo(3, "Doc", -1), -1);  // refused, nothing written
  EXPECT_EQ(scalar("select count(*) from TJ_PROCUREMENT_PROJECT"), "2");
}

TEST_F(InstantiateDataTest, NoLiveProjectRecordStillCopiesTheRest) {
  record("1", "'I'");
  check(1);
  item(5);
  EXPECT_TRUE(obj->New_Bs(3, 0, "Doc", "7"));
  EXPECT_EQ(scalar("select count(*) from TJ_PROCUREMENT_PROJECT"), "0");
  EXPECT_EQ(scalar("select count(*) from T_ACCORDED_CHECK where PROJECT_ID=7"), "1");
  EXPECT_EQ(scalar("select count(*) from T_GRADE_INGREDIENT where PROJECT_ID=7"), "1");
}

TEST_F(InstantiateDataTest, AFailedProjectStepCopiesNothingElse) {
  record("'not a number'");  // a plain column that holds no number
  check(1);
  item(5);
  exec("insert into TJ_OPEN_BID_DETAILS_INFO(RESOURCE_ID,BUNDLE_ID,STS,REG_SUM_TYPE) values (3,'0','V',1)");
  EXPECT_FALSE(obj->New_Bs(3, 0, "Doc", "7"));
  exec("update TJ_PROCUREMENT_PROJECT_INFO set PROMODE_ID=1");
  EXPECT_FALSE(obj->New_Bs(3, 0, "Doc", "-1"));
  for (const char* table :
       {"TJ_PROCUREMENT_PROJECT", "T_ACCORDED_CHECK", "T_GRADE_INGREDIENT", "TJ_OPEN_BID_DETAILS"})
    EXPECT_EQ(scalar(fmt::format("select count(*) from {}", table)), "0") << table;
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(InstantiateDataTest, ANonNumericProjectNumberFailsAfterTheProjectRecord) {
  record();
  check(1);
  EXPECT_THROW(obj->New_Bs(3, 0, "Doc", "7x"), Error);
  EXPECT_EQ(scalar("select PROJECT_ID from TJ_PROCUREMENT_PROJECT"), "7");
  EXPECT_EQ(scalar("select count(*) from T_ACCORDED_CHECK"), "0");
}

TEST_F(InstantiateDataTest, ANullThatIsNotFilledEndsThatCopy) {
  // Items: the second has no flag, so it and the ones after it are missing;
  // New_Bs does not look at that result.
  item(5);
  item(6, "'V'", "'r'", "10", "NULL");
  item(7);
  EXPECT_TRUE(obj->New_Bs(3, 0, "Doc", "7"));
  EXPECT_EQ(scalar("select group_concat(CONTENT) from T_GRADE_INGREDIENT"), "item5");

  // A check without content fails New_Bs, before bid lines and items.
  exec("delete from T_GRADE_INGREDIENT");
  check(1);
  check(2, "'1'", "NULL");
  exec("insert into TJ_OPEN_BID_DETAILS_INFO(RESOURCE_ID,BUNDLE_ID,STS,REG_SUM_TYPE) values (3,'0','V',1)");
  EXPECT_FALSE(obj->New_Bs(3, 0, "Doc", "8"));
  EXPECT_EQ(scalar("select count(*) from T_ACCORDED_CHECK where PROJECT_ID=8"), "1");
  EXPECT_EQ(scalar("select count(*) from TJ_OPEN_BID_DETAILS"), "0");
  EXPECT_EQ(scalar("select count(*) from T_GRADE_INGREDIENT"), "0");
}

TEST_F(InstantiateDataTest, BidLinesAreFilledExceptTheirSumType) {
  exec(
      "insert into TJ_OPEN_BID_DETAILS_INFO(PROJECT_ID,BUNDLE_ID,RESOURCE_ID,GOOD_NAME,STS,REG_SUM_TYPE) "
      "values (0,'1',3,'pc','V',2)");
  auto s = steps();
  EXPECT_TRUE(s.initProjectOpenBidDetails(3, 7));
  EXPECT_EQ(scalar("select PROJECT_ID,BUNDLE_ID,BAIL,REMARK,ENGIN_NAME,FINISH_DATE,GOOD_NAME,DELIVERY_DATE,"
                   "AMOUNT,BID_SUM_PRICE,SPEC,MAKE_FACTORY,STS,REG_SUM_TYPE from TJ_OPEN_BID_DETAILS"),
            "7|1|0| | | |pc| |0|0| | |V|2");
  exec("update TJ_OPEN_BID_DETAILS_INFO set REG_SUM_TYPE=NULL");
  EXPECT_FALSE(s.initProjectOpenBidDetails(3, 8));
}

}  // namespace
}  // namespace quillon::test
