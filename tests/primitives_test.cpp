// Query primitives and the coded failure reports.
#include <gtest/gtest.h>

#include "quillon/error.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using PrimitivesTest = HomeTest;

TEST_F(PrimitivesTest, CountWithAndWithoutFilter) {
  exec("insert into T_GUID(GUID) values(1)");
  exec("insert into t_promode_judge(promode_id, appraise_mode, judge_way, sts) values(1,'a',1,'V')");
  exec("insert into t_promode_judge(promode_id, appraise_mode, judge_way, sts) values(1,'b',2,'I')");
  EXPECT_EQ(obj->Db_GetCount("t_promode_judge", ""), 2);
  EXPECT_EQ(obj->Db_GetCount("t_promode_judge", "sts='V'"), 1);
  EXPECT_EQ(obj->Db_GetCount("T_PROMODE_JUDGE", "sts='X'"), 0);  // names in any case
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(PrimitivesTest, CountFailureShowsCodedReport) {
  EXPECT_EQ(obj->Db_GetCount("no_such_table", ""), -1);
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(host.shown[0].title, "错误");
  EXPECT_EQ(host.shown[0].icon, Icon::Critical);
  EXPECT_EQ(host.shown[0].text,
            "执行语句错误！\r\n错误编号：DBF-00002\r\n详细信息：" +
                engineSays("no such table: no_such_table", "relation \"no_such_table\" does not exist"));
  // Where a silent failure throws, the error carries the report's code and its kind.
  obj->setStrict(true);
  try {
    obj->Db_GetCount("no_such_table", "");
    ADD_FAILURE() << "a strict count did not throw";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::InvalidInput);
    EXPECT_EQ(e.dbfCode(), "DBF-00002");
  }
}

TEST_F(PrimitivesTest, MaxNoIsLargestPlusOneOrOne) {
  EXPECT_EQ(obj->GetMaxNo("T_PROJECT_TREE", "NODE_ID"), 1);
  exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values(41, NULL)");
  EXPECT_EQ(obj->GetMaxNo("T_PROJECT_TREE", "NODE_ID"), 42);
  EXPECT_EQ(obj->GetMaxNo("T_PROJECT_TREE", "PROJECT_ID"), 1);  // column holds no value
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(PrimitivesTest, MaxNoOverflowAndUnknownColumnReport) {
  exec("insert into T_GUID(GUID) values(2147483647)");
  EXPECT_EQ(obj->GetMaxNo("T_GUID", "GUID"), -1);
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(host.shown[0].text, "取流水号出错！\r\n错误编号：DBF-00003\r\n详细信息：Overflow");

  EXPECT_EQ(obj->GetMaxNo("T_GUID", "NO_SUCH"), -1);
  ASSERT_EQ(host.shown.size(), 2u);
  EXPECT_NE(host.shown[1].text.find(
                "详细信息：" + engineSays("no such column: NO_SUCH", "column \"no_such\" does not exist")),
            std::string::npos)
      << host.shown[1].text;
}

TEST_F(PrimitivesTest, GuidReadsAndSilentPrimitivesSayWhyOnlyThroughLastError) {
  EXPECT_EQ(obj->GetGUID(), 1);
  exec("insert into T_GUID(GUID) values(7)");
  EXPECT_EQ(obj->GetGUID(), 8);
  EXPECT_EQ(obj->GetGUID(), 8);  // reads, never reserves

  EXPECT_FALSE(obj->ExecuteSql("this is not sql"));
  EXPECT_EQ(obj->lastError(), engineSays("near \"this\": syntax error", "syntax error at or near \"this\""));
  EXPECT_FALSE(obj->ExecuteSql("insert into T_GUID(GUID) values(4); delete from T_GUID"));
  EXPECT_EQ(scalar("select count(*) from T_GUID"), "1");  // nothing of the rejected text ran
  Recordset rs;
  ASSERT_TRUE(obj->GetValue("select GUID from T_GUID where GUID=99", rs));
  EXPECT_TRUE(obj->lastError().empty());
  EXPECT_FALSE(obj->GetValue("select nonsense from nowhere", rs));
  EXPECT_EQ(obj->lastError(), engineSays("no such table: nowhere", "relation \"nowhere\" does not exist"));
  EXPECT_TRUE(rs.isOpen() && rs.atEnd());  // still the earlier set
  EXPECT_TRUE(host.shown.empty());
}

TEST(ConnectionTest, MissingDatabaseReportsThenEveryServiceFailsItsOwnWay) {
  TempDir dir;
  RecordingHost host;
  DBFunc obj(host, dir.path());
  EXPECT_FALSE(obj.connected());
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(host.shown[0].title, "错误");
  EXPECT_EQ(host.shown[0].icon, Icon::Critical);
  EXPECT_EQ(host.shown[0].text.rfind("数据库连接失败！\r\n错误编号：DBF-00001\r\n详细信息：", 0), 0u);
  EXPECT_NE(obj.lastError().find("does not exist"), std::string::npos) << obj.lastError();
  try {
    obj.requireConnected();
    ADD_FAILURE() << "requireConnected did not throw";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::NotFound);
    EXPECT_EQ(e.dbfCode(), "DBF-00001");
  }

  EXPECT_EQ(obj.Db_GetCount("T_GUID", ""), -1);
  ASSERT_EQ(host.shown.size(), 2u);
  EXPECT_NE(host.shown[1].text.find("DBF-00002"), std::string::npos);
  EXPECT_EQ(obj.GetMaxNo("T_GUID", "GUID"), -1);
  EXPECT_EQ(obj.GetGUID(), -1);
  EXPECT_FALSE(obj.ExecuteSql("delete from T_GUID"));
  Recordset rs;
  EXPECT_FALSE(obj.GetValue("select 1", rs));
  EXPECT_EQ(host.shown.size(), 3u);  // only GetMaxNo added a report
}

TEST(ConnectionTest, DamagedFileIsRefusedAtCreation) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "Data");
  {
    std::FILE* f = std::fopen((dir.path() / "Data" / "zbs.mdb").c_str(), "w");
    std::fputs("this is not a database file, just text long enough to look like one...", f);
    std::fclose(f);
  }
  RecordingHost host;
  DBFunc obj(host, dir.path());
  EXPECT_FALSE(obj.connected());
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_NE(host.shown[0].text.find("DBF-00001"), std::string::npos);
}

TEST_F(PrimitivesTest, SecondObjectInSameProcessOpens) {
  RecordingHost other;
  DBFunc second(other, dir.path());
  EXPECT_TRUE(second.connected());
  EXPECT_TRUE(other.shown.empty());
  exec("insert into T_GUID(GUID) values(5)");
  EXPECT_EQ(second.GetGUID(), 6);
}

}  // namespace
}  // namespace quillon::test
