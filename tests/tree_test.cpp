// Node insert and the look-ups: exact statement text, the safe handling of
// quotes and numbers, side selection, the sts filters, and which failures
// give a value and which reach the caller.
#include <gtest/gtest.h>

#include "quillon/error.h"
#include "test_support.h"
#include "tree/tree_insert.h"

namespace quillon::test {
namespace {

TextArray elements(std::vector<std::string> items, int lowerBound = 1) {
  return TextArray{lowerBound, items};
}

TextArray coverNode() { return elements({"1", "Cover", "7", "0", "1", "0", "1", "0", "V", "2", "bm1", "1"}); }

class TreeInsertTest : public HomeTest {
 protected:
  // The single DBF-00003 report with the given detail line.
  void expectReport(const std::string& detail) {
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].title, "错误");
    EXPECT_EQ(host.shown[0].text,
              "插入值到表T_PROJECT_TREE时出错！\r\n错误编号：DBF-00003\r\n详细信息：" + detail);
  }
};

TEST_F(TreeInsertTest, TwelveElementsGoInAsNumbersAndQuotedTexts) {
  EXPECT_EQ(
      tree::treeInsertStatement(coverNode()),
      "Insert into T_PROJECT_TREE(NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,"
      "RESOURCE_TYPE_ID,STS,PROJECT_TYPE_ID,Bookmarks_Name,NODE_ORDER)  VALUES "
      "(1,'Cover',7,'0',1,0,1,0,'V',2,'bm1',1)");
  EXPECT_TRUE(obj->T_PROJECT_TREE_Insert(coverNode()));
  EXPECT_EQ(rows("select NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,"
                 "RESOURCE_TYPE_ID,STS,PROJECT_TYPE_ID,Bookmarks_Name,NODE_ORDER from T_PROJECT_TREE"),
            std::vector<std::string>{"1|Cover|7|0|1|0|1|0|V|2|bm1|1"});
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(TreeInsertTest, IndexesAreAbsolute) {
  auto zeroBased = coverNode().items;
  zeroBased.insert(zeroBased.begin(), "ignored'");
  EXPECT_TRUE(obj->T_PROJECT_TREE_Insert(elements(zeroBased, 0)));
  EXPECT_EQ(scalar("select NODE_NAME from T_PROJECT_TREE where NODE_ID=1"), "Cover");

  auto shifted = coverNode().items;  // lower bound 2: element 1 is missing
  EXPECT_FALSE(obj->T_PROJECT_TREE_Insert(elements(shifted, 2)));
  expectReport("Subscript out of range");
}

TEST_F(TreeInsertTest, ElevenElementsInsertNothing) {
  auto items = coverNode().items;
  items.pop_back();
  EXPECT_FALSE(obj->T_PROJECT_TREE_Insert(elements(items)));
  expectReport("Subscript out of range");
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE"), "0");
}

TEST_F(TreeInsertTest, QuotesInTextsAreStoredAsGiven) {
  auto items = coverNode().items;
  items[1] = "O'Brien";
  items[10] = "x'); delete from T_GUID; --";
  EXPECT_TRUE(obj->T_PROJECT_TREE_Insert(elements(items)));
  EXPECT_EQ(scalar("select NODE_NAME || '|' || Bookmarks_Name from T_PROJECT_TREE"),
            "O'Brien|x'); delete from T_GUID; --");
}

TEST_F(TreeInsertTest, NumericElementMustBeANumber) {
  for (const std::string bad : {"1 or 1=1", "", "NULL", "0x10", "1)", "--", "1e", "."}) {
    SCOPED_TRACE(bad);
    host.shown.clear();
    auto items = coverNode().items;
    items[2] = bad;
    EXPECT_FALSE(obj->T_PROJECT_TREE_Insert(elements(items)));
    expectReport("Type mismatch: element 3 (PROJECT_ID) is not a number");
  }
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE"), "0");

  auto items = coverNode().items;
  items[0] = "+5";
  items[2] = "-3";
  items[11] = "1.5e1";
  EXPECT_TRUE(obj->T_PROJECT_TREE_Insert(elements(items)));
  EXPECT_EQ(scalar("select NODE_ID || '|' || PROJECT_ID || '|' || NODE_ORDER from T_PROJECT_TREE"),
            "5|-3|15");
}

TEST_F(TreeInsertTest, EngineRefusalIsReportedWithItsDescription) {
  EXPECT_TRUE(obj->T_PROJECT_TREE_Insert(coverNode()));
  EXPECT_FALSE(obj->T_PROJECT_TREE_Insert(coverNode()));  // NODE_ID is unique
  expectReport("UNIQUE constraint failed: T_PROJECT_TREE.NODE_ID");
}

class TreeLookupTest : public HomeTest {
 protected:
  void SetUp() override {
    HomeTest::SetUp();
    exec("insert into T_PROJECT_TYPE(TYPE_ID,TYPE_NAME) values(1,'货物类'),(2,'工程类'),(3,'服务类')");
    // Node 10 exists on both sides with different types, so a look-up on
    // the wrong side gives a visibly wrong answer.
    exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID,PROJECT_TYPE_ID,STS) values(10,7,1,'V')");
    exec("insert into T_RESOURCE_TREE(NODE_ID,RESOURCE_ID,PROJECT_TYPE,STS) values(10,3,2,'V')");
    exec("insert into TJ_PROCUREMENT_PROJECT(PROJECT_ID,PROJECT_TYPE,STS) values(7,3,'V')");
  }
};

TEST_F(TreeLookupTest, NodeTypeComesFromTheChosenSide) {
  EXPECT_EQ(obj->GetBStype(10, 1), "货物类");
  EXPECT_EQ(obj->GetBStype(10, 2), "工程类");
  EXPECT_EQ(obj->GetBStype(10, 0), "工程类");  // every value but 1 is the library side
  EXPECT_EQ(obj->GetBStype(404, 1), "");
  EXPECT_EQ(obj->GetBsTypeByNodeID(10, 1), 1);
  EXPECT_EQ(obj->GetBsTypeByNodeID(10, 2), 2);
  EXPECT_THROW(obj->GetBsTypeByNodeID(404, 1), Error);
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(TreeLookupTest, UnconvertibleValuesReachTheCaller) {
  exec("insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID,PROJECT_TYPE_ID) values(11,NULL,40000)");
  exec("insert into T_PROJECT_TYPE(TYPE_ID,TYPE_NAME) values(9,NULL)");
  exec("insert into T_RESOURCE_TREE(NODE_ID,PROJECT_TYPE) values(12,9)");
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

TEST_F(TreeLookupTest, ProjectOfANodeSearchesOnlyTheProjectSide) {
  EXPECT_EQ(obj->GetProjectIdByNodeId(10), 7);
  exec("insert into T_RESOURCE_TREE(NODE_ID,RESOURCE_ID) values(20,3)");
  EXPECT_EQ(obj->GetProjectIdByNodeId(20), 0);
  EXPECT_EQ(obj->GetProjectIdByNodeId(404), 0);
}

TEST_F(TreeLookupTest, JudgeWayReadsTheLeadingNumberOfTheLiveRow) {
  exec(
      "insert into t_promode_judge(promode_id,appraise_mode,judge_way,sts) values"
      "(1,'综合评分法',1,'V'),(1,'性价比法',3,'I'),(2,'a','3分','V'),(2,'b','2.5','V'),"
      "(2,'c','abc','V'),(2,'O''Brien',4,'V'),(3,'big',40000,'V'),(3,'none',NULL,'V')");
  EXPECT_EQ(obj->GetJudgeWay(1, "综合评分法"), 1);
  EXPECT_EQ(obj->GetJudgeWay(1, "性价比法"), 0);  // only an invalidated row
  EXPECT_EQ(obj->GetJudgeWay(9, "综合评分法"), 0);
  EXPECT_EQ(obj->GetJudgeWay(2, "a"), 3);
  EXPECT_EQ(obj->GetJudgeWay(2, "b"), 2);  // half to even
  EXPECT_EQ(obj->GetJudgeWay(2, "c"), 0);
  EXPECT_EQ(obj->GetJudgeWay(2, "O'Brien"), 4);
  EXPECT_EQ(obj->GetJudgeWay(2, "x' or '1'='1"), 0);
  EXPECT_THROW(obj->GetJudgeWay(3, "big"), Error);
  EXPECT_THROW(obj->GetJudgeWay(3, "none"), Error);
}

TEST(TreeLookupNoConnectionTest, QueriesThatCannotOpenGiveTheirFailureValues) {
  TempDir dir;
  RecordingHost host;
  DBFunc obj(host, dir.path());
  ASSERT_FALSE(obj.connected());
  host.shown.clear();
  EXPECT_EQ(obj.GetBStype(1, 1), "");
  EXPECT_EQ(obj.GetBsTypeByNodeID(1, 1), -1);
  EXPECT_EQ(obj.GetBsTypeByProjectID(1, 2), "");
  EXPECT_EQ(obj.GetProjectTypeId(1, 1), -1);
  EXPECT_EQ(obj.GetProjectIdByNodeId(1), 0);
  EXPECT_EQ(obj.GetJudgeWay(1, "a"), 0);
  EXPECT_TRUE(host.shown.empty());

  EXPECT_FALSE(obj.T_PROJECT_TREE_Insert(coverNode()));
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(host.shown[0].text.rfind("插入值到表T_PROJECT_TREE时出错！\r\n错误编号：DBF-00003\r\n", 0), 0u);
}

}  // namespace
}  // namespace quillon::test
