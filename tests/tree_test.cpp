// Node insert and the look-ups: the safe handling of quotes and numbers,
// side selection, the sts filters, and which failures give a value and which
// reach the caller.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

const std::string kReport = "错误|插入值到表T_PROJECT_TREE时出错！\r\n错误编号：DBF-00003\r\n详细信息：";

// Every column gets a value of its own, so a column mix-up shows; the
// numbers are written in the forms a number may take.
std::vector<std::string> coverNode() {
  return {"+1", "Cover", "-7", "b0", "3", "0", "4", "5", "V", "2", "bm1", "0.6e1"};
}

class TreeInsertTest : public HomeTest {
 protected:
  // The result, then title and text of each report shown.
  std::string insert(std::vector<std::string> items, int lowerBound = 1) {
    std::string out = obj->T_PROJECT_TREE_Insert(TextArray{lowerBound, std::move(items)}) ? "true" : "false";
    for (const auto& s : host.shown) out += "|" + s.title + "|" + s.text;
    host.shown.clear();
    return out;
  }
};

TEST_F(TreeInsertTest, ElementsGoInByAbsoluteIndexWithQuotesKept) {
  EXPECT_EQ(insert(coverNode()), "true");
  EXPECT_EQ(rows("select NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,"
                 "RESOURCE_TYPE_ID,STS,PROJECT_TYPE_ID,Bookmarks_Name,NODE_ORDER from T_PROJECT_TREE"),
            std::vector<std::string>{"1|Cover|-7|b0|3|0|4|5|V|2|bm1|6"});
  EXPECT_EQ(insert(coverNode()),
            "false|" + kReport +
                engineSays("UNIQUE constraint failed: T_PROJECT_TREE.NODE_ID",
                           "duplicate key value violates unique constraint \"ux_project_tree_node\""));

  const std::vector<std::string> quoted = {
      "ignored'", "2", "O'Brien", "7", "0", "1", "0", "1", "0", "V", "2", "x'); delete from T_GUID; --", "1"};
  EXPECT_EQ(insert(quoted, 0), "true");  // lower bound 0: element 0 is not used
  EXPECT_EQ(scalar("select NODE_NAME || '|' || Bookmarks_Name from T_PROJECT_TREE where NODE_ID=2"),
            "O'Brien|x'); delete from T_GUID; --");
}

TEST_F(TreeInsertTest, BadArraysAreReportedAndInsertNothing) {
  auto items = coverNode();
  items.pop_back();
  EXPECT_EQ(insert(items), "false|" + kReport + "Subscript out of range");
  for (const std::string bad : {"1 or 1=1", "", "NULL", "0x10", "1)", "--", "1e", "."}) {
    items = coverNode();
    items[2] = bad;
    EXPECT_EQ(insert(items), "false|" + kReport + "Type mismatch: element 3 (PROJECT_ID) is not a number")
        << bad;
  }
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE"), "0");
}

class TreeLookupTest : public HomeTest {
 protected:
  void SetUp() override {
    HomeTest::SetUp();
    exec("insert into T_PROJECT_TYPE values(1,'货物类'),(2,'工程类'),(3,'服务类'),(9,NULL)");
    // Node 10 is on both sides with different types, so a look-up on the
    // wrong side gives a visibly wrong answer.
    exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID,PROJECT_TYPE_ID) values(10,7,1),(11,NULL,40000)");
    exec("insert into T_RESOURCE_TREE(NODE_ID,RESOURCE_ID,PROJECT_TYPE,STS) values(10,3,2,'V'),(12,4,9,'V')");
    exec("insert into TJ_PROCUREMENT_PROJECT(PROJECT_ID,PROJECT_TYPE,STS) values(7,3,'V')");
  }
};

TEST_F(TreeLookupTest, NodeLookupsReadTheChosenSide) {
  EXPECT_EQ(obj->GetBStype(10, 1), "货物类");
  EXPECT_EQ(obj->GetBStype(10, 2), "工程类");
  EXPECT_EQ(obj->GetBStype(10, 0), "工程类");  // every value but 1 is the library side
  EXPECT_EQ(obj->GetBStype(404, 1), "");
  EXPECT_EQ(obj->GetBsTypeByNodeID(10, 1), 1);
  EXPECT_EQ(obj->GetBsTypeByNodeID(10, 2), 2);
  EXPECT_EQ(obj->GetProjectIdByNodeId(10), 7);
  EXPECT_EQ(obj->GetProjectIdByNodeId(12), 0);  // only on the library side
  // Values that cannot be converted reach the caller.
  EXPECT_THROW(obj->GetBsTypeByNodeID(404, 1), Error);
  EXPECT_THROW(obj->GetBsTypeByNodeID(11, 1), Error);  // beyond 16 bits
  EXPECT_THROW(obj->GetProjectIdByNodeId(11), Error);  // NULL owner
  EXPECT_THROW(obj->GetBStype(12, 2), Error);          // NULL name
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(TreeLookupTest, ProjectTypeByOwnerReadsTheProjectRecordOrTheTemplateTree) {
  EXPECT_EQ(obj->GetBsTypeByProjectID(7, 1), "服务类");  // the record, not the tree's 1
  EXPECT_EQ(obj->GetBsTypeByProjectID(3, 2), "工程类");
  exec("update TJ_PROCUREMENT_PROJECT set STS='I'");
  EXPECT_EQ(obj->GetBsTypeByProjectID(7, 1), "服务类");  // no sts condition here
  EXPECT_THROW(obj->GetBsTypeByProjectID(404, 1), Error);
  EXPECT_THROW(obj->GetProjectTypeId(7, 1), Error);  // only an invalidated record
  exec("insert into TJ_PROCUREMENT_PROJECT(PROJECT_ID,PROJECT_TYPE,STS) values(7,2,'V')");
  EXPECT_EQ(obj->GetProjectTypeId(7, 1), 2);
  EXPECT_EQ(obj->GetProjectTypeId(3, 2), 2);
  exec("update T_RESOURCE_TREE set STS='I'");
  EXPECT_THROW(obj->GetProjectTypeId(3, 2), Error);
}

TEST_F(TreeLookupTest, JudgeWayReadsTheLeadingNumberOfTheLiveRow) {
  exec(
      "insert into t_promode_judge(promode_id,appraise_mode,judge_way,sts) values"
      "(1,'综合评分法',1,'V'),(1,'性价比法',3,'I'),(2,'O''Brien',4,'V'),(3,'big',40000,'V'),(3,'none',NULL,'"
      "V')");
  // Promode 9 has no such row, and the only 性价比法 row is invalidated.
  std::vector<std::tuple<int16_t, std::string, int16_t>> ways = {{1, "综合评分法", 1},
                                                                 {9, "综合评分法", 0},
                                                                 {1, "性价比法", 0},
                                                                 {2, "O'Brien", 4},
                                                                 {2, "x' or '1'='1", 0}};
  if (!onServer()) {
    // Text in the number column, which only a file holds: its leading
    // number, 2.5 rounding half to even.
    exec(
        "insert into t_promode_judge(promode_id,appraise_mode,judge_way,sts) values"
        "(2,'a','3分','V'),(2,'b','2.5','V'),(2,'c','abc','V')");
    ways.insert(ways.end(), {{2, "a", 3}, {2, "b", 2}, {2, "c", 0}});
  }
  for (const auto& [promode, mode, way] : ways) EXPECT_EQ(obj->GetJudgeWay(promode, mode), way) << mode;
  EXPECT_THROW(obj->GetJudgeWay(3, "big"), Error);
  EXPECT_THROW(obj->GetJudgeWay(3, "none"), Error);
}

TEST_F(TreeLookupTest, QueriesThatCannotOpenGiveTheirFailureValues) {
  DBFunc none(host, dir.path() / "no-home");
  ASSERT_FALSE(none.connected());
  host.shown.clear();
  // GetBStype, GetBsTypeByNodeID, GetBsTypeByProjectID, GetProjectTypeId, GetProjectIdByNodeId, GetJudgeWay
  EXPECT_EQ(fmt::format("{}|{}|{}|{}|{}|{}", none.GetBStype(1, 1), none.GetBsTypeByNodeID(1, 1),
                        none.GetBsTypeByProjectID(1, 2), none.GetProjectTypeId(1, 1),
                        none.GetProjectIdByNodeId(1), none.GetJudgeWay(1, "a")),
            "|-1||-1|0|0");
  EXPECT_TRUE(host.shown.empty());
}

}  // namespace
}  // namespace quillon::test
