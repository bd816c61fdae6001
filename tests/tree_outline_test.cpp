// The outline people read, and the tree members and view on the command
// line.
#include <gtest/gtest.h>

#include "cli_support.h"
#include "component/session.h"
#include "quillon/setup.h"
#include "test_support.h"
#include "tree/tree_outline.h"

namespace quillon::test {
namespace {

class TreeOutlineTest : public HomeTest {
 protected:
  void node(int id, int parent, const std::string& name, int order, const std::string& sts = "V",
            int owner = 7) {
    exec(
        "insert into T_PROJECT_TREE(NODE_ID,PARENT_NOED_ID,NODE_NAME,TYPE_ID,NODE_ORDER,STS,PROJECT_ID) "
        "values(" +
        std::to_string(id) + "," + std::to_string(parent) + ",'" + name + "',2," + std::to_string(order) +
        ",'" + sts + "'," + std::to_string(owner) + ")");
  }
  std::string outline(int owner, bool all = false, int ori = 1) {
    return tree::renderOutline(sessionOf(*obj), ori, owner, all);
  }
};

TEST_F(TreeOutlineTest, ChildrenByOrderThenNumberWithGuides) {
  node(1, 0, "Root", 1);
  node(5, 1, "Second", 2);
  node(3, 1, "First b", 1);
  node(2, 1, "First a", 1);
  node(6, 2, "Deep", 1);
  node(7, 6, "Deeper", 1);
  node(8, 5, "Last", 1);
  node(9, 1, "Elsewhere", 1, "V", 8);  // another project's node
  EXPECT_EQ(outline(7),
            "Root (type 2, node 1)\n"
            "├── First a (type 2, node 2)\n"
            "│   └── Deep (type 2, node 6)\n"
            "│       └── Deeper (type 2, node 7)\n"
            "├── First b (type 2, node 3)\n"
            "└── Second (type 2, node 5)\n"
            "    └── Last (type 2, node 8)\n");
  // Node 9 hangs below a node of project 7, so it is project 8's top node.
  EXPECT_EQ(outline(8), "Elsewhere (type 2, node 9)\n");
  EXPECT_EQ(outline(404), "");
}

TEST_F(TreeOutlineTest, InvalidatedNodesOnlyOnRequest) {
  node(1, 0, "Root", 1);
  node(2, 1, "Gone", 1, "I");
  node(3, 1, "Kept", 2);
  EXPECT_EQ(outline(7), "Root (type 2, node 1)\n└── Kept (type 2, node 3)\n");
  EXPECT_EQ(outline(7, true),
            "Root (type 2, node 1)\n"
            "├── Gone (type 2, node 2) [invalidated]\n"
            "└── Kept (type 2, node 3)\n");
}

TEST_F(TreeOutlineTest, LoopingParentsAreDrawnOnceAndNamesStayOnOneLine) {
  node(1, 2, "A", 1);
  node(2, 1, "B", 1);
  node(3, 2, "C", 2);
  node(4, 4, "Self", 1);
  exec("update T_PROJECT_TREE set NODE_NAME = 'C' || char(10) || 'x' where NODE_ID = 3");
  EXPECT_EQ(outline(7),
            "A (type 2, node 1) [parent cycle]\n"
            "└── B (type 2, node 2)\n"
            "    └── C x (type 2, node 3)\n"
            "Self (type 2, node 4) [parent cycle]\n");
}

TEST_F(TreeOutlineTest, LibrarySideByResourceId) {
  exec(
      "insert into T_RESOURCE_TREE(NODE_ID,PARENT_NOED_ID,NODE_NAME,TYPE_ID,STS,RESOURCE_ID) values"
      "(1,0,'Template',9,'V',3),(2,1,'Part',2,'V',3)");
  node(1, 0, "Project node", 1, "V", 3);
  EXPECT_EQ(outline(3, false, 2), "Template (type 9, node 1)\n└── Part (type 2, node 2)\n");
}

class TreeCliTest : public ::testing::Test {
 protected:
  void SetUp() override { initializeHome(dir.path(), InitOptions{false, true}); }
  CommandResult q(const std::string& args) {
    return runQuillon("--home " + shellQuote(dir.path().string()) + " " + args);
  }
  TempDir dir;
};

TEST_F(TreeCliTest, MembersAndTheTreeView) {
  EXPECT_EQ(q("call T_PROJECT_TREE_Insert 1 Cover 7 0 1 0 2 0 V 2 bm1 1").out, "true\n");
  EXPECT_EQ(q("call T_PROJECT_TREE_Insert 2 \"O'Brien\" 7 0 2 1 3 0 V 2 bm2 1").out, "true\n");
  EXPECT_EQ(q("call GetProjectIdByNodeId 2").out, "7\n");
  EXPECT_EQ(q("call GetBsTypeByNodeID 1 1").out, "2\n");

  const auto view = q("tree --project 7");
  EXPECT_EQ(view.status, 0);
  EXPECT_EQ(view.out, "Cover (type 2, node 1)\n└── O'Brien (type 3, node 2)\n");

  const auto removed = q("call DeleteTreeNode 1 1");
  EXPECT_EQ(removed.status, 0);
  EXPECT_EQ(removed.out, "");
  const auto empty = q("tree --project 7");
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.out, "");
  EXPECT_EQ(empty.err, "project 7 has no nodes\n");
}

TEST_F(TreeCliTest, ErrorsAndUsage) {
  const auto missing = q("call GetBsTypeByNodeID 404 1");
  EXPECT_EQ(missing.status, 3);
  EXPECT_EQ(missing.out, "");
  const auto noOwner = q("call InserMaxNo 1");
  EXPECT_EQ(noOwner.status, 3);
  EXPECT_NE(noOwner.err.find("Invalid use of Null"), std::string::npos);
  EXPECT_EQ(q("tree").status, 2);
  EXPECT_EQ(q("tree --project 1 --resource 1").status, 2);
  EXPECT_EQ(q("tree --project x").status, 2);
}

}  // namespace
}  // namespace quillon::test
