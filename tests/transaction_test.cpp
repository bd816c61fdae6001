// Commits that fail, transactions that cannot begin, all-or-nothing scopes
// and the reasons a call gives for its failure.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "component/session_access.h"
#include "quillon/error.h"
#include "quillon/transaction.h"
#include "test_support.h"

namespace quillon::test {
namespace {

class TransactionTest : public HomeTest {
 protected:
  void SetUp() override { open(true); }

  // Makes every COMMIT that follows a tree insert fail: the trigger leaves a
  // row whose deferred foreign key can never be satisfied.
  void failCommitsAfterTreeInserts() {
    exec("PRAGMA foreign_keys = ON");
    exec("create table parent_row(id integer primary key)");
    exec("create table orphan_row(p integer references parent_row(id) deferrable initially deferred)");
    exec(
        "create trigger orphan_after_insert after insert on T_PROJECT_TREE begin "
        "insert into orphan_row values (99); end");
  }
  void allowCommits() { exec("drop trigger orphan_after_insert"); }

  std::string projectTreeRows() { return scalar("select count(*) from T_PROJECT_TREE"); }

  // Throws the project error unless it carries `fragment`.
  template <class Call>
  void expectError(Call&& call, const std::string& fragment) {
    try {
      call();
      ADD_FAILURE() << "no error; expected one saying " << fragment;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
    }
  }
};

TEST_F(TransactionTest, FailedCommitOfAMemberIsAnErrorAndStoresNothing) {
  const std::string before = projectTreeRows();
  failCommitsAfterTreeInserts();
  expectError([&] { obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1); }, "FOREIGN KEY constraint failed");
  EXPECT_EQ(obj->lastError(), "the changes were not stored: FOREIGN KEY constraint failed");
  EXPECT_EQ(projectTreeRows(), before);

  // Nothing is left open behind the caller: the next call commits, and its
  // rows are there for a second connection to see.
  allowCommits();
  exec("delete from orphan_row");
  ASSERT_EQ(obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1), 7);
  EXPECT_TRUE(obj->lastError().empty());
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open_v2((dir.path() / "Data" / "zbs.mdb").c_str(), &other, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
  sqlite3_stmt* count = nullptr;
  sqlite3_prepare_v2(other, "select count(*) from T_PROJECT_TREE where PROJECT_ID = 7", -1, &count, nullptr);
  ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
  EXPECT_GT(sqlite3_column_int(count, 0), 0);
  sqlite3_finalize(count);
  sqlite3_close(other);
}

TEST_F(TransactionTest, FailedBeginIsAnErrorAndTheNextCallRuns) {
  sessionOf(*obj).database().connection().setBusyTimeout(20);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((dir.path() / "Data" / "zbs.mdb").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  const std::string before = projectTreeRows();
  expectError([&] { obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1); },
              "cannot begin a transaction: database is locked");
  expectError([&] { Transaction whole(*obj); }, "database is locked");
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);

  EXPECT_EQ(projectTreeRows(), before);
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1), 7);
  EXPECT_NE(projectTreeRows(), before);
}

TEST_F(TransactionTest, AllOrNothingScopeKeepsOnlyWhatItCommits) {
  const std::string before = projectTreeRows();
  {
    Transaction whole(*obj);
    ASSERT_EQ(obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1), 7);  // joins, commits nothing
  }
  EXPECT_EQ(projectTreeRows(), before);

  failCommitsAfterTreeInserts();
  {
    Transaction whole(*obj);
    ASSERT_EQ(obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1), 7);
    expectError([&] { whole.commit(); }, "FOREIGN KEY constraint failed");
  }
  EXPECT_EQ(projectTreeRows(), before);

  allowCommits();
  exec("delete from orphan_row");
  Transaction whole(*obj);
  ASSERT_EQ(obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1), 7);
  whole.commit();
  EXPECT_NE(projectTreeRows(), before);
}

TEST_F(TransactionTest, FullDatabaseEndsTheCopyWithTheEngineReasonAndStoresNothing) {
  // The engine rolls the transaction back itself: nothing of the copy may
  // then be written outside it, and the member says why.
  const std::string before = projectTreeRows();
  exec("PRAGMA max_page_count = " + scalar("PRAGMA page_count"));
  expectError([&] { obj->Get_Tree_NodeFromInfo(21, 7, std::string(6000, 'n'), 1, 1); },
              "database or disk is full");
  EXPECT_EQ(projectTreeRows(), before);
  exec("PRAGMA max_page_count = 1000000");
  EXPECT_EQ(obj->Get_Tree_NodeFromInfo(21, 8, "m", 1, 1), 8);
  EXPECT_TRUE(obj->lastError().empty());
}

TEST_F(TransactionTest, ExporterThatCannotReadIsAFailureOnlyInStrictMode) {
  // An exporter whose query cannot be opened writes an empty table and
  // succeeds; strict, the same call is a failure.
  XmlDocument doc;
  ASSERT_TRUE(doc.loadText("<Table></Table>"));
  EXPECT_TRUE(obj->OutputAccToXml(doc, "NO_COLUMN = 1", 1));
  EXPECT_EQ(obj->lastError(), "no such column: NO_COLUMN");
  obj->setStrict(true);
  EXPECT_FALSE(obj->OutputAccToXml(doc, "NO_COLUMN = 1", 1));
  EXPECT_EQ(obj->lastError(), "no such column: NO_COLUMN");
}

}  // namespace
}  // namespace quillon::test
