// Owner reservation over the five owner tables, and subtree deletion: the
// set of rows removed, children before parents, damaged parent chains, deep
// and wide trees, and failures that reach the caller.
#include <gtest/gtest.h>

#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using TreeReservationTest = HomeTest;

TEST_F(TreeReservationTest, NextOwnerIsTheLargestOverFiveTablesPlusOne) {
  const std::vector<std::string> owners = {"T_PROJECT_TREE", "T_ACCORDED_CHECK", "T_GRADE_INGREDIENT",
                                           "TJ_OPEN_BID_DETAILS", "TJ_PROCUREMENT_PROJECT"};
  for (const auto& table : owners) {
    SCOPED_TRACE(table);
    open(false);
    exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID) values(900,5)");
    if (table == "T_PROJECT_TREE")
      exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID) values(17,41)");
    else
      exec("insert into " + table + "(PROJECT_ID) values(41)");
    exec("insert into T_ACCORDED_CHECK_INFO(RESOURCE_ID) values(500)");  // other side: ignored
    obj->InserMaxNo(1);
    EXPECT_EQ(scalar("select NODE_ID || '|' || PROJECT_ID || '|' || ifnull(STS,'NULL') from T_PROJECT_TREE "
                     "where NODE_ID=901"),
              "901|42|NULL");
    EXPECT_EQ(scalar("select count(*) from T_RESOURCE_TREE"), "0");
  }
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(TreeReservationTest, LibrarySideUsesResourceTables) {
  exec("insert into T_RESOURCE_TREE(NODE_ID,RESOURCE_ID) values(30,2)");
  exec("insert into TJ_OPEN_BID_DETAILS_INFO(RESOURCE_ID) values(8)");
  exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID) values(99,77)");  // other side: ignored
  obj->InserMaxNo(2);
  EXPECT_EQ(rows("select NODE_ID, RESOURCE_ID from T_RESOURCE_TREE order by NODE_ID"),
            (std::vector<std::string>{"30|2", "31|9"}));
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE"), "1");
}

TEST_F(TreeReservationTest, NoOwnerYetEndsWithAnErrorAndInsertsNothing) {
  EXPECT_THROW(obj->InserMaxNo(1), Error);
  EXPECT_THROW(obj->InserMaxNo(2), Error);
  EXPECT_EQ(scalar("select (select count(*) from T_PROJECT_TREE) + (select count(*) from T_RESOURCE_TREE)"),
            "0");
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(TreeReservationTest, NodeNumberFailureIsReportedAndStopsTheReservation) {
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
    // Records every deleted row in order, to check children-first.
    exec("create temp table deleted_log(seq integer primary key, node integer, parent integer)");
    for (const char* side : {"T_PROJECT_TREE", "T_RESOURCE_TREE"})
      exec(std::string("create temp trigger log_") + side + " after delete on " + side +
           " begin insert into deleted_log(node, parent) values(old.NODE_ID, old.PARENT_NOED_ID); end");
  }
  void node(int id, int parent, const std::string& sts = "V", const std::string& table = "T_PROJECT_TREE") {
    exec("insert into " + table + "(NODE_ID,PARENT_NOED_ID,STS) values(" + std::to_string(id) + "," +
         std::to_string(parent) + ",'" + sts + "')");
  }
  std::vector<std::string> remaining(const std::string& table = "T_PROJECT_TREE") {
    return rows("select NODE_ID from " + table + " order by NODE_ID");
  }
  // Deleted rows whose parent was deleted earlier than they were.
  std::string parentsBeforeChildren() {
    return scalar(
        "select count(*) from deleted_log c join deleted_log p on p.node = c.parent "
        "where p.seq < c.seq and p.node <> c.node");
  }
};

TEST_F(TreeDeleteTest, UnknownNodeChangesNothingAndLeafGoesAlone) {
  node(1, 0);
  node(2, 1);
  EXPECT_TRUE(obj->DeleteTreeNode(404, 1).isEmpty());
  EXPECT_EQ(remaining(), (std::vector<std::string>{"1", "2"}));
  EXPECT_TRUE(obj->DeleteTreeNode(2, 1).isEmpty());
  EXPECT_EQ(remaining(), std::vector<std::string>{"1"});
}

TEST_F(TreeDeleteTest, ThreeLevelsGoChildrenFirstWithInvalidatedNodes) {
  node(1, 0);  // parent of the deleted node: stays
  node(2, 1);
  node(3, 2);
  node(4, 2, "I");
  node(5, 3);
  node(6, 4, "I");
  node(7, 1);  // sibling: stays
  node(8, 7);
  obj->DeleteTreeNode(2, 1);
  EXPECT_EQ(remaining(), (std::vector<std::string>{"1", "7", "8"}));
  EXPECT_EQ(scalar("select count(*) from deleted_log"), "5");
  EXPECT_EQ(parentsBeforeChildren(), "0");
  EXPECT_EQ(scalar("select max(seq) = (select seq from deleted_log where node=2) from deleted_log"), "1");
}

TEST_F(TreeDeleteTest, LibrarySideLeavesProjectTreeAlone) {
  for (const char* table : {"T_PROJECT_TREE", "T_RESOURCE_TREE"}) {
    node(1, 0, "V", table);
    node(2, 1, "V", table);
  }
  obj->DeleteTreeNode(1, 2);
  EXPECT_TRUE(remaining("T_RESOURCE_TREE").empty());
  EXPECT_EQ(remaining(), (std::vector<std::string>{"1", "2"}));
}

TEST_F(TreeDeleteTest, LoopingParentChainsEndAndStayInsideTheSubtree) {
  node(1, 2);  // 1 and 2 are each other's parent
  node(2, 1);
  node(3, 2);
  node(4, 3);
  node(5, 5);  // its own parent
  node(6, 5);
  obj->DeleteTreeNode(3, 1);
  EXPECT_EQ(remaining(), (std::vector<std::string>{"1", "2", "5", "6"}));
  obj->DeleteTreeNode(5, 1);
  EXPECT_EQ(remaining(), (std::vector<std::string>{"1", "2"}));
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
  node(300000, 0);
  node(300001, 300000);
  obj->DeleteTreeNode(1, 1);
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE where NODE_ID <= 50000"), "0");
  obj->DeleteTreeNode(100001, 1);
  EXPECT_EQ(remaining(), (std::vector<std::string>{"300000", "300001"}));
  EXPECT_EQ(scalar("select count(*) from deleted_log"), "150000");
  EXPECT_EQ(parentsBeforeChildren(), "0");
}

TEST_F(TreeDeleteTest, FailureReachesTheCallerAndKeepsWhatWasDeleted) {
  node(1, 0);
  node(2, 1);
  node(3, 2);
  node(4, 3);
  exec(
      "create temp trigger keep_two before delete on T_PROJECT_TREE when old.NODE_ID = 2 "
      "begin select raise(abort, 'node 2 is locked'); end");
  try {
    obj->DeleteTreeNode(1, 1);
    FAIL() << "the deletion did not fail";
  } catch (const Error& e) {
    EXPECT_EQ(e.description(), "node 2 is locked");
  }
  EXPECT_EQ(remaining(), (std::vector<std::string>{"1", "2"}));
  EXPECT_TRUE(host.shown.empty());
}

}  // namespace
}  // namespace quillon::test
