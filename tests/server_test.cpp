// What an installation on a PostgreSQL server must do as its own file does:
// results named and typed as the statement writes them, rows changed through
// a result set, a failed statement that leaves the rows before it, results
// larger than a batch, and a desk that one program holds at a time. Run
// only against the test server (the "pg." tests).
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fstream>
#include <thread>

#include "cli_support.h"
#include "db/connect.h"
#include "engine/database.h"
#include "engine/transaction.h"
#include "quillon/error.h"
#include "quillon/progress.h"
#include "quillon/recordset.h"
#include "quillon/setup.h"
#include "quillon/transaction.h"
#include "test_support.h"

namespace quillon::test {
namespace {

using Rows = std::vector<std::string>;

class ServerTest : public HomeTest {
 protected:
  void SetUp() override {
    if (!testServer()) GTEST_SKIP() << "no test server (QUILLON_TEST_SERVER)";
    HomeTest::SetUp();
  }
  void addNodes(int project, int count) {
    exec(
        fmt::format("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < {1}) "
                    "INSERT INTO T_PROJECT_TREE(NODE_ID, NODE_NAME, PROJECT_ID, LAYER_ID, Bookmarks_Name) "
                    "SELECT {0} * 10000 + i, 'n' || i, {0}, 2, 'BM' FROM n",
                    project, count));
  }
};

TEST_F(ServerTest, ResultsAreNamedAndTypedAsTheStatementWritesThem) {
  addNodes(7, 2);
  Recordset rs;
  ASSERT_TRUE(
      obj->GetValue("select NODE_ID, t.Bookmarks_Name, NODE_NAME AS Name, count(*) over () from "
                    "T_PROJECT_TREE t order by 1",
                    rs));
  ASSERT_EQ(rs.fieldCount(), 4);
  EXPECT_EQ(rs.fieldName(0), "NODE_ID");
  EXPECT_EQ(rs.fieldName(1), "Bookmarks_Name");
  EXPECT_EQ(rs.fieldName(2), "Name");
  EXPECT_EQ(rs.fieldName(3), "count(*) over ()");
  EXPECT_EQ(rs.fieldType(0), field_type::kLong);
  EXPECT_EQ(rs.value(0).integer(), 70001);
  EXPECT_EQ(rs.value(3).integer(), 2);
  // Columns of a star take the schema's spelling.
  ASSERT_TRUE(obj->GetValue("select * from T_PROJECT_TREE", rs));
  EXPECT_EQ(rs.fieldName(rs.fieldIndex("bookmarks_name")), "Bookmarks_Name");
  // A view's rows are read, not changed: they have no locator.
  exec("create view live_nodes as select NODE_ID from T_PROJECT_TREE where STS is null");
  ASSERT_TRUE(obj->GetValue("select NODE_ID from live_nodes order by 1", rs)) << obj->lastError();
  EXPECT_EQ(rs.value(0).integer(), 70001);
  EXPECT_THROW(rs.edit(), Error);
}

TEST_F(ServerTest, ResultSetsChangeRowsAndReadPastABatchWhileOtherStatementsRun) {
  addNodes(7, 600);
  Recordset rs;
  ASSERT_TRUE(
      obj->GetValue("select NODE_ID, NODE_NAME from T_PROJECT_TREE where PROJECT_ID=7 order by NODE_ID", rs));
  int read = 0;
  for (; !rs.atEnd(); rs.moveNext()) {
    if (++read % 100 == 0) {
      // The connection is free between rows for statements of its own.
      rs.edit();
      rs.setValue("NODE_NAME", Value("changed"));
      rs.update();
    }
  }
  EXPECT_EQ(read, 600);
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE where NODE_NAME='changed'"), "6");
  // Two results read in turns, each past its first batches, lose no row
  // to the other's batch asked ahead.
  Recordset first, second;
  ASSERT_TRUE(obj->GetValue("select NODE_ID from T_PROJECT_TREE order by NODE_ID", first));
  ASSERT_TRUE(obj->GetValue("select NODE_ID from T_PROJECT_TREE order by NODE_ID desc", second));
  std::int64_t sum = 0;
  int rows = 0;
  for (; !first.atEnd() && !second.atEnd(); first.moveNext(), second.moveNext(), ++rows)
    sum += first.value(0).integer() + second.value(0).integer();
  EXPECT_EQ(rows, 600);
  EXPECT_EQ(sum, 600 * (70001 + 70600));
  ASSERT_TRUE(obj->GetValue("select NODE_ID from T_PROJECT_TREE where NODE_ID=70600", rs));
  rs.deleteCurrent();
  EXPECT_EQ(scalar("select count(*) from T_PROJECT_TREE"), "599");
}

TEST_F(ServerTest, AFailedStatementLeavesTheRowsBeforeAndAfterIt) {
  {
    Transaction whole(*obj);
    exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (1, 7)");
    // A second node 1: the unique index refuses it, and only it.
    EXPECT_FALSE(obj->ExecuteSql("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (1, 8)"));
    EXPECT_FALSE(obj->ExecuteSql("select no_such_column from T_PROJECT_TREE"));
    // One statement at a time, as on a file: the rest of a text is not run.
    EXPECT_FALSE(obj->ExecuteSql("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (3, 7); select 1"));
    exec("insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID) values (2, 7)");
    whole.commit();
  }
  EXPECT_EQ(rows("select NODE_ID, PROJECT_ID from T_PROJECT_TREE order by NODE_ID"), (Rows{"1|7", "2|7"}));
}

TEST_F(ServerTest, RowsWaitingToBeSentKeepTheirOrderAcrossTablesWhenOneFails) {
  // Rows wait and go together; when one fails, the rows added before it
  // stay and none added after it is written, whatever their table, in a
  // long run (by COPY) as in short ones.
  const auto db = engine::Database::openServer(server->url(), "writers", db::schemaNames());
  {
    engine::Transaction whole(*db);
    const auto tree = db->rowWriter("T_PROJECT_TREE", {"NODE_ID", "PROJECT_ID"});
    const auto checks = db->rowWriter("T_ACCORDED_CHECK", {"CHECK_ID", "PROJECT_ID"});
    for (int node = 1; node <= 100; ++node) tree->add(std::array<Value, 2>{Value(node), Value(7)});
    checks->add(std::array<Value, 2>{Value(1), Value(7)});
    tree->add(std::array<Value, 2>{Value(101), Value(7)});
    tree->add(std::array<Value, 2>{Value("not a number"), Value(7)});
    checks->add(std::array<Value, 2>{Value(2), Value(7)});
    for (int node = 102; node <= 200; ++node) tree->add(std::array<Value, 2>{Value(node), Value(7)});
    EXPECT_THROW(tree->flush(), Error);
    whole.commit();
  }
  EXPECT_EQ(scalar("select count(*) || '/' || max(NODE_ID) from T_PROJECT_TREE where PROJECT_ID = 7"),
            "101/101");
  EXPECT_EQ(scalar("select count(*) || '/' || max(CHECK_ID) from T_ACCORDED_CHECK where PROJECT_ID = 7"),
            "1/1");
}

TEST_F(ServerTest, ADeskIsHeldByOneProgramWhileOtherDesksWork) {
  // Another program of the same desk is refused; another object of this
  // program shares the hold, and keeps it when the first object goes.
  const CommandResult refused = runQuillon("--home " + shellQuote(dir.path().string()) + " list projects");
  EXPECT_EQ(refused.status, 3);
  EXPECT_NE(refused.err.find("DBF-00001"), std::string::npos) << refused.err;
  RecordingHost second;
  auto again = std::make_unique<DBFunc>(second, dir.path());
  EXPECT_TRUE(again->connected()) << again->lastError();
  obj.reset();
  EXPECT_EQ(runQuillon("--home " + shellQuote(dir.path().string()) + " list projects").status, 3);
  again.reset();
  // An administrator frees the desk: its holder is ended, the next program
  // gets it.
  obj = std::make_unique<DBFunc>(host, dir.path());
  EXPECT_EQ(unlockDesk(dir.path(), db::deskName(dir.path())), 1);
  EXPECT_EQ(unlockDesk(dir.path(), db::deskName(dir.path())), 0);
  obj = std::make_unique<DBFunc>(host, dir.path());
  ASSERT_TRUE(obj->connected()) << obj->lastError();

  // Another folder that names itself another desk of the same server works
  // beside the first, and sees its rows.
  TempDir other;
  std::ofstream(other.path() / "SysUser.ini")
      << "[Database]\r\nUrl=" << server->url() << "\r\nDesk=second\r\n";
  addNodes(7, 1);
  RecordingHost third;
  DBFunc desk(third, other.path());
  ASSERT_TRUE(desk.connected()) << desk.lastError();
  EXPECT_EQ(rowsOf(desk, "select count(*) from T_PROJECT_TREE"), (Rows{"1"}));
}

TEST_F(ServerTest, ADeskWhoseSessionEndedWorksOnAtItsNextCall) {
  // The server ends the session (restarted, cut off, an administrator's
  // unlock): the next call makes a new one and takes the desk again.
  for (const char* call : {"ExecuteSql", "GetValue", "Transaction"}) {
    SCOPED_TRACE(call);
    ASSERT_EQ(unlockDesk(dir.path(), db::deskName(dir.path())), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (std::string(call) == "ExecuteSql") {
      EXPECT_TRUE(obj->ExecuteSql("insert into T_GUID(GUID) values (5)")) << obj->lastError();
    } else if (std::string(call) == "GetValue") {
      EXPECT_EQ(rows("select count(*) from T_GUID"), Rows{"1"});
    } else {
      Transaction whole(*obj);
      EXPECT_TRUE(obj->ExecuteSql("insert into T_GUID(GUID) values (6)")) << obj->lastError();
      whole.commit();
    }
  }
  EXPECT_EQ(obj->GetGUID(), 7);
  EXPECT_EQ(runQuillon("--home " + shellQuote(dir.path().string()) + " list projects").status, 3);

  // Another program took the desk meanwhile (here the server's own client,
  // as a desk takes it): the desk is its until it ends.
  ASSERT_EQ(unlockDesk(dir.path(), db::deskName(dir.path())), 1);
  const auto taken = dir.path() / "taken";
  std::unique_ptr<FILE, int (*)(FILE*)> other(
      popen(fmt::format("psql -q -X \"{}\" >/dev/null", server->url()).c_str(), "w"), pclose);
  fmt::print(other.get(), "SELECT pg_advisory_lock({}, hashtext('{}'));\n\\! touch {}\n", 0x51554c4e,
             db::deskName(dir.path()), taken.string());
  std::fflush(other.get());
  for (int wait = 0; wait < 500 && !std::filesystem::exists(taken); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(std::filesystem::exists(taken));
  EXPECT_EQ(obj->GetGUID(), -1);
  EXPECT_NE(obj->lastError().find("in use by another program"), std::string::npos) << obj->lastError();
  std::fputs("SELECT pg_advisory_unlock_all();\n", other.get());
  other.reset();  // that program lets go and ends
  EXPECT_EQ(obj->GetGUID(), 7) << obj->lastError();
}

TEST_F(ServerTest, AnUnfinishedImportIsFinishedByItsOwnDeskAlone) {
  // Another desk's import may be moving its folders right now, and its
  // folders are on that desk's disk: a desk's recovery leaves them alone.
  TempDir staging, root, other;
  std::filesystem::create_directories(staging.path() / "doc 7");
  obj->recordImport({staging.path(), root.path(), {"doc 7"}, 1000});
  std::ofstream(other.path() / "SysUser.ini")
      << "[Database]\r\nUrl=" << server->url() << "\r\nDesk=second\r\n";
  RecordingHost third;
  DBFunc desk(third, other.path());
  ASSERT_TRUE(desk.connected()) << desk.lastError();
  desk.recoverImports();
  EXPECT_TRUE(std::filesystem::exists(staging.path() / "doc 7"));
  EXPECT_EQ(rowsOf(desk, "select count(*) from QUILLON_IMPORT_JOURNAL"), (Rows{"1"}));
  obj->recoverImports();
  EXPECT_TRUE(std::filesystem::exists(root.path() / "doc 7"));
  EXPECT_EQ(rowsOf(desk, "select count(*) from QUILLON_IMPORT_JOURNAL"), (Rows{"0"}));
}

TEST_F(ServerTest, AnInstallationMovesToTheServerWholeOrNotAtAll) {
  TempDir office;
  InitOptions file;
  file.demo = true;
  initializeHome(office.path(), file);
  ServerDatabase target;
  std::int64_t held = 0;
  {
    RecordingHost quiet;
    DBFunc local(quiet, office.path());
    held = local.Db_GetCount("T_PROJECT_TREE", "1=1");
    // A text in a number column and a number held twice (a file of the
    // old schema): the server would refuse both, so nothing moves.
    ASSERT_TRUE(local.ExecuteSql("update T_PROJECT_TREE set PAGE_COUNT='三' where NODE_ID=3"));
    ASSERT_TRUE(local.ExecuteSql("drop index IX_ACCORDED_CHECK_ID"));
    ASSERT_TRUE(local.ExecuteSql("insert into T_ACCORDED_CHECK(PROJECT_ID,CHECK_ID) values (1, 1)"));
  }
  try {
    migrateToServer(office.path(), target.url());
    ADD_FAILURE() << "a text in a number column moved";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("T_PROJECT_TREE.PAGE_COUNT row"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("T_ACCORDED_CHECK.CHECK_ID 1 is held by 2 rows"), std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(db::serverUrl(office.path()));
  {
    RecordingHost quiet;
    DBFunc local(quiet, office.path());
    ASSERT_TRUE(local.ExecuteSql("update T_PROJECT_TREE set PAGE_COUNT=3 where NODE_ID=3"));
    ASSERT_TRUE(local.ExecuteSql("delete from T_ACCORDED_CHECK where CHECK_ID=1 and CONTENT is null"));
  }
  // Each table's rows are told to a listener as they go.
  struct Finished final : ProgressListener {
    void tableStarted(std::string_view, std::int64_t expected) override { expectedRows.push_back(expected); }
    void rowsWritten(std::string_view, std::int64_t) override {}
    void tableFinished(std::string_view, std::int64_t rows) override { finishedRows.push_back(rows); }
    std::vector<std::int64_t> expectedRows, finishedRows;
  } progress;
  const MigrationReport moved = [&] {
    const ProgressScope listening(progress);
    return migrateToServer(office.path(), target.url());
  }();
  EXPECT_EQ(moved.textsReplaced, 0);
  ASSERT_EQ(progress.finishedRows.size(), moved.rows.size());
  EXPECT_EQ(progress.finishedRows, progress.expectedRows);
  EXPECT_EQ(progress.finishedRows[0], moved.rows[0].second);
  // The folder works on the server now, with every row.
  ASSERT_EQ(db::serverUrl(office.path()), target.url());
  RecordingHost quiet;
  DBFunc onServer(quiet, office.path());
  ASSERT_TRUE(onServer.connected()) << onServer.lastError();
  EXPECT_EQ(onServer.Db_GetCount("T_PROJECT_TREE", "1=1"), held);
  // A second move into the same database is refused.
  EXPECT_THROW(migrateToServer(office.path(), target.url()), Error);
}

}  // namespace
}  // namespace quillon::test
