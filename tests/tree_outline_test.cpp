// The outline people read, and the tree members and view on the command
// line.
#include <gtest/gtest.h>

#include "cli_support.h"
#include "component/session_access.h"
#include "quillon/setup.h"
#include "test_support.h"
#include "tree/tree_outline.h"

namespace quillon::test {
namespace {

class TreeOutlineTest : public HomeTest {
 protected:
  // Project nodes (NODE_ID, PARENT_NOED_ID, NODE_NAME, NODE_ORDER, STS, PROJECT_ID), all of type 2.
  void nodes(const std::string& values) {
    const std::string columns = "NODE_ID,PARENT_NOED_ID,NODE_NAME,NODE_ORDER,STS,PROJECT_ID,TYPE_ID";
    exec("insert into T_PROJECT_TREE(" + columns + ") select *, 2 from (values " + values + ") v");
  }
  std::string outline(int owner, bool all = false, int ori = 1) {
    return tree::renderOutline(sessionOf(*obj), ori, owner, all);
  }
};

TEST_F(TreeOutlineTest, ChildrenByOrderThenNumberWithGuides) {
  nodes(
      "(1,0,'Root',1,'V',7),(2,1,'Second',2,'V',7),(5,1,'First b',1,'V',7),(3,1,'First a',1,'V',7),"
      "(6,3,'Deep',1,'V',7),(7,6,'Deeper',1,'V',7),(8,2,'Last',1,'V',7),(9,1,'Elsewhere',1,'V',8)");
  EXPECT_EQ(outline(7),
            "Root (type 2, node 1)\n"
            "├── First a (type 2, node 3)\n"
            "│   └── Deep (type 2, node 6)\n"
            "│       └── Deeper (type 2, node 7)\n"
            "├── First b (type 2, node 5)\n"
            "└── Second (type 2, node 2)\n"
            "    └── Last (type 2, node 8)\n");
  // Node 9 hangs below a node of project 7, so it is project 8's top node.
  EXPECT_EQ(outline(8), "Elsewhere (type 2, node 9)\n");
  EXPECT_EQ(outline(404), "");
}

TEST_F(TreeOutlineTest, LoopingParentsAreDrawnOnceAndNamesStayOnOneLine) {
  nodes("(1,2,'A',1,'V',7),(2,1,'B',1,'V',7),(3,2,'C\nx',2,'V',7),(4,4,'Self',1,'V',7)");
  EXPECT_EQ(outline(7),
            "A (type 2, node 1) [parent cycle]\n"
            "└── B (type 2, node 2)\n"
            "    └── C x (type 2, node 3)\n"
            "Self (type 2, node 4) [parent cycle]\n");
}

TEST_F(TreeOutlineTest, LibrarySideByResourceIdWithInvalidatedNodesOnRequest) {
  exec(
      "insert into T_RESOURCE_TREE(NODE_ID,PARENT_NOED_ID,NODE_NAME,TYPE_ID,NODE_ORDER,STS,RESOURCE_ID) "
      "values"
      "(1,0,'Template',9,1,'V',3),(2,1,'Gone',2,1,'I',3),(3,1,'Kept',2,2,'V',3)");
  nodes("(1,0,'Project node',1,'V',3)");
  EXPECT_EQ(outline(3, false, 2), "Template (type 9, node 1)\n└── Kept (type 2, node 3)\n");
  EXPECT_EQ(
      outline(3, true, 2),
      "Template (type 9, node 1)\n├── Gone (type 2, node 2) [invalidated]\n└── Kept (type 2, node 3)\n");
}

class TreeCliTest : public ::testing::Test {
 protected:
  void SetUp() override { initializeHome(dir.path(), InitOptions{false, true}); }
  // Exit status, standard output and standard error, joined by '|'.
  std::string q(const std::string& args) {
    const auto r = runQuillon("--home " + shellQuote(dir.path().string()) + " " + args);
    return std::to_string(r.status) + "|" + r.out + "|" + r.err;
  }
  TempDir dir;
};

TEST_F(TreeCliTest, MembersTheTreeViewAndErrors) {
  EXPECT_EQ(q("call T_PROJECT_TREE_Insert 1 Cover 7 0 1 0 2 0 V 2 bm1 1"), "0|true\n|");
  EXPECT_EQ(q("call T_PROJECT_TREE_Insert 2 \"O'Brien\" 7 0 2 1 3 0 V 2 bm2 1"), "0|true\n|");
  EXPECT_EQ(q("call GetProjectIdByNodeId 2"), "0|7\n|");
  EXPECT_EQ(q("call GetBsTypeByNodeID 1 1"), "0|2\n|");
  EXPECT_EQ(q("tree --project 7"), "0|Cover (type 2, node 1)\n└── O'Brien (type 3, node 2)\n|");
  EXPECT_EQ(q("call DeleteTreeNode 1 1"), "0||");
  EXPECT_EQ(q("tree --project 7"), "3||quillon: error: project 7 does not exist\n");
  // An error of the call ends it with status 3, a usage error with 2.
  EXPECT_EQ(q("call GetBsTypeByNodeID 404 1").rfind("3||", 0), 0u);
  const auto noOwner = q("call InserMaxNo 1");
  EXPECT_EQ(noOwner.rfind("3||", 0), 0u);
  EXPECT_NE(noOwner.find("Invalid use of Null"), std::string::npos);
  for (const char* usage : {"tree", "tree --project 1 --resource 1", "tree --project x"})
    EXPECT_EQ(q(usage).rfind("2|", 0), 0u) << usage;
}

}  // namespace
}  // namespace quillon::test
