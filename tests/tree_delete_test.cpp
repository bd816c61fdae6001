// Owner reservation over the five owner tables, and subtree deletion: the
// set of rows removed, children before parents, damaged parent chains, deep
// and wide trees, and failures that reach the caller.
#include <gtest/gtest.h>

#include "faulty_connection.h"
#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using Rows = std::vector<std::string>;
using TreeReservationTest = HomeTest;

TEST_F(TreeReservationTest, NextOwnerIsTheLargestOverTheFiveTablesOfTheSidePlusOne) {
  exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID) values(900,5)");
  exec("insert into T_RESOURCE_TREE(NODE_ID,RESOURCE_ID) values(30,2)");
  exec("insert into T_ACCORDED_CHECK_INFO(RESOURCE_ID) values(20)");
  obj->InserMaxNo(1);
  int owner = 5;  // each table in turn holds the largest owner
  for (const std::string table :
       {"T_ACCORDED_CHECK", "T_GRADE_INGREDIENT", "TJ_OPEN_BID_DETAILS", "TJ_PROCUREMENT_PROJECT"}) {
    owner += 10;
    exec("insert into " + table + "(PROJECT_ID) values(" + std::to_string(owner) + ")");
    obj->InserMaxNo(1);
  }
  obj->InserMaxNo(2);  // ignores the project side's 46
  EXPECT_EQ(rows("select NODE_ID, PROJECT_ID, STS from T_PROJECT_TREE order by NODE_ID"),
            (Rows{"900|5|NULL", "901|6|NULL", "902|16|NULL", "903|26|NULL", "904|36|NULL", "905|46|NULL"}));
  EXPECT_EQ(rows("select NODE_ID, RESOURCE_ID from T_RESOURCE_TREE order by NODE_ID"),
            (Rows{"30|2", "31|21"}));
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(TreeReservationTest, FailuresEndWithAnErrorAndInsertNothing) {
  EXPECT_THROW(obj->InserMaxNo(1), Error);  // no owner yet
  EXPECT_THROW(obj->InserMaxNo(2), Error);
  EXPECT_TRUE(host.shown.empty());
  EXPECT_EQ(scalar("select count(*) from T_RESOURCE_TREE"), "0");
  // No node number left: reported, and the reservation stops.
  exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID) values(2147483647,3)");
  EXPECT_THROW(obj->InserMaxNo(1), Error);
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_NE(host.shown[0].text.find("DBF-00003"), std::string::npos);
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE"), "1");
}

class TreeDeleteTest : public HomeTest {
 protected:
  void SetUp() override {
    HomeTest::SetUp();
    // Children first: deleting a node that still has a child fails the deletion.
    refuseDeletes(
        "children_first", "T_PROJECT_TREE",
        "exists(select 1 from T_PROJECT_TREE where PARENT_NOED_ID = old.NODE_ID and NODE_ID <> old.NODE_ID)",
        "a parent went before its child");
  }
  // Nodes given as "(NODE_ID,PARENT_NOED_ID),...".
  void nodes(const std::string& values, const std::string& table = "T_PROJECT_TREE") {
    exec("insert into " + table + "(NODE_ID,PARENT_NOED_ID) values" + values);
  }
  Rows remaining(const std::string& table = "T_PROJECT_TREE") {
    return rows("select NODE_ID from " + table + " order by NODE_ID");
  }
};

TEST_F(TreeDeleteTest, ThreeLevelsGoChildrenFirstOnTheChosenSideOnly) {
  // 2 goes with 3 to 6, two of them invalidated; its parent 1 and its sibling 7 with 8 stay.
  nodes("(1,0),(2,1),(3,2),(4,2),(5,3),(6,4),(7,1),(8,7)");
  exec("update T_PROJECT_TREE set STS='I' where NODE_ID in (4,6)");
  nodes("(2,0),(3,2),(9,0)", "T_RESOURCE_TREE");
  EXPECT_TRUE(obj->DeleteTreeNode(404, 1).isEmpty());
  EXPECT_EQ(remaining().size(), 8u);
  EXPECT_TRUE(obj->DeleteTreeNode(2, 1).isEmpty());
  EXPECT_EQ(remaining(), (Rows{"1", "7", "8"}));
  obj->DeleteTreeNode(8, 1);  // a leaf goes alone
  EXPECT_EQ(remaining(), (Rows{"1", "7"}));
  EXPECT_EQ(remaining("T_RESOURCE_TREE"), (Rows{"2", "3", "9"}));
  obj->DeleteTreeNode(2, 2);
  EXPECT_EQ(remaining("T_RESOURCE_TREE"), Rows{"9"});
  EXPECT_EQ(remaining(), (Rows{"1", "7"}));
}

TEST_F(TreeDeleteTest, LoopingParentChainsEndAndStayInsideTheSubtree) {
  // 1 and 2 are each other's parent, 5 is its own: no order is children first.
  dropTrigger("children_first", "T_PROJECT_TREE");
  nodes("(1,2),(2,1),(3,2),(4,3),(5,5),(6,5)");
  obj->DeleteTreeNode(3, 1);
  EXPECT_EQ(remaining(), (Rows{"1", "2", "5", "6"}));
  obj->DeleteTreeNode(5, 1);
  EXPECT_EQ(remaining(), (Rows{"1", "2"}));
  obj->DeleteTreeNode(1, 1);
  EXPECT_TRUE(remaining().empty());
}

TEST_F(TreeDeleteTest, DeepChainAndWideTreeAreDeletedCompletely) {
  // A chain 50,000 levels deep under node 1, and a 100,000-node binary tree
  // under node 100001, beside a small tree that must stay.
  exec(
      "with recursive c(n) as (select 1 union all select n+1 from c where n < 50000) "
      "insert into T_PROJECT_TREE(NODE_ID,PARENT_NOED_ID,LAYER_ID) select n, n-1, n from c");
  exec(
      "with recursive c(n) as (select 1 union all select n+1 from c where n < 100000) "
      "insert into T_PROJECT_TREE(NODE_ID,PARENT_NOED_ID) select 100000+n, 100000+n/2 from c");
  nodes("(300000,0),(300001,300000)");
  obj->DeleteTreeNode(1, 1);
  obj->DeleteTreeNode(100001, 1);
  EXPECT_EQ(remaining(), (Rows{"300000", "300001"}));
}

TEST_F(TreeDeleteTest, FailureReachesTheCallerAndKeepsWhatWasDeleted) {
  const auto faults = openWithFaults([&] { open(false); });
  nodes("(1,0),(2,1),(3,2),(4,3)");
  // Children first: 4, 3, then 2 is refused.
  faults->failWrite("T_PROJECT_TREE", 3, {engine::Failure::Constraint, "node 2 is locked"});
  try {
    obj->DeleteTreeNode(1, 1);
    FAIL() << "the deletion did not fail";
  } catch (const Error& e) {
    EXPECT_EQ(e.description(), "node 2 is locked");
  }
  EXPECT_EQ(remaining(), (Rows{"1", "2"}));
  EXPECT_TRUE(host.shown.empty());
}

}  // namespace
}  // namespace quillon::test
