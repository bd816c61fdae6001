// Commits that fail, transactions that cannot begin, all-or-nothing scopes
// and the reasons a call gives for its failure.
#include <gtest/gtest.h>

#include "component/session_access.h"
#include "faulty_connection.h"
#include "quillon/error.h"
#include "quillon/transaction.h"
#include "test_support.h"

namespace quillon::test {
namespace {

class TransactionTest : public HomeTest {
 protected:
  void SetUp() override {
    faults = openWithFaults([&] { open(true); });
  }

  // Every COMMIT fails as a deferred constraint would fail it.
  void failCommits() {
    faults->commitFault =
        FaultyConnection::Fault{engine::Failure::Constraint, "FOREIGN KEY constraint failed"};
  }
  void allowCommits() { faults->clear(); }

  // What a second object of this process sees: only what was committed.
  std::string committedRows(const std::string& filter) {
    DBFunc other(host, dir.path());
    return rowsOf(other, "select count(*) from T_PROJECT_TREE where " + filter).at(0);
  }

  std::string projectTreeRows() { return scalar("select count(*) from T_PROJECT_TREE"); }

  std::shared_ptr<FaultyConnection> faults;

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
  failCommits();
  expectError([&] { obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1); }, "FOREIGN KEY constraint failed");
  EXPECT_EQ(obj->lastError(), "the changes were not stored: FOREIGN KEY constraint failed");
  EXPECT_EQ(projectTreeRows(), before);

  // Nothing is left open behind the caller: the next call commits, and its
  // rows are there for a second connection to see.
  allowCommits();
  ASSERT_EQ(obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1), 7);
  EXPECT_TRUE(obj->lastError().empty());
  EXPECT_NE(committedRows("PROJECT_ID = 7"), "0");
}

TEST_F(TransactionTest, FailedBeginIsAnErrorAndTheNextCallRuns) {
  sessionOf(*obj).database().connection().setBusyTimeout(20);
  const std::string before = projectTreeRows();
  {
    // Another object of this process holds the write lock.
    DBFunc other(host, dir.path());
    Transaction holding(other);
    try {
      obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1);
      ADD_FAILURE() << "the member began a transaction while another held the write lock";
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), ErrorKind::Locked) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("cannot begin a transaction: ", 0), 0u) << e.what();
    }
    EXPECT_THROW(Transaction whole(*obj), Error);
  }

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

  failCommits();
  {
    Transaction whole(*obj);
    ASSERT_EQ(obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1), 7);
    expectError([&] { whole.commit(); }, "FOREIGN KEY constraint failed");
  }
  EXPECT_EQ(projectTreeRows(), before);

  allowCommits();
  Transaction whole(*obj);
  ASSERT_EQ(obj->Get_Tree_NodeFromInfo(21, 7, "m", 1, 1), 7);
  whole.commit();
  EXPECT_NE(projectTreeRows(), before);
}

TEST_F(TransactionTest, FullDatabaseEndsTheCopyWithTheEngineReasonAndStoresNothing) {
  // The engine rolls the transaction back itself at the first compliance
  // check: the save's later tables, which go on past a table that failed,
  // may then write nothing outside it, and the member says why.
  const std::string sql =
      "select (select count(*) from T_RESOURCE_TREE) || '/' || (select count(*) from T_ACCORDED_CHECK_INFO) "
      "|| '/' || (select count(*) from TJ_PROCUREMENT_PROJECT_INFO)";
  const std::string before = scalar(sql);
  faults->failWrite("T_ACCORDED_CHECK_INFO", 1, {engine::Failure::Full, "database or disk is full", true});
  expectError([&] { obj->SavaBsInResource("1", "", Value("saved")); }, "database or disk is full");
  EXPECT_EQ(scalar(sql), before);
  allowCommits();
  EXPECT_TRUE(obj->SavaBsInResource("1", "", Value("saved")));
  EXPECT_TRUE(obj->lastError().empty());
  EXPECT_NE(scalar(sql), before);
}

TEST_F(TransactionTest, RowsWrittenBeforeAFailureStayAlsoWhereAFailureEndsTheTransaction) {
  // The save's tables stand each on its own: the checks fail, the tree and
  // the other tables are kept, whether the engine undoes only the failed
  // statement or ends the whole transaction.
  const std::string sql =
      "select (select count(*) from T_RESOURCE_TREE) || '/' || (select count(*) from T_ACCORDED_CHECK_INFO) "
      "|| '/' || (select count(*) from TJ_PROCUREMENT_PROJECT_INFO)";
  std::vector<std::string> endStates;
  for (const bool aborts : {false, true}) {
    faults = openWithFaults([&] { open(true); });
    const std::string before = scalar(sql);
    faults->abortsTransactions = aborts;
    faults->failWrite("T_ACCORDED_CHECK_INFO", 1, {engine::Failure::Constraint, "CHECK constraint failed"});
    EXPECT_TRUE(obj->SavaBsInResource("1", "", Value("saved")));
    EXPECT_EQ(obj->lastError(), "CHECK constraint failed");
    faults->clear();
    endStates.push_back(before + " -> " + scalar(sql));
  }
  EXPECT_EQ(endStates[0], endStates[1]);
  EXPECT_EQ(endStates[0], "294/42/8 -> 332/42/9") << "the tree and the record are saved, the checks are not";
}

TEST_F(TransactionTest, ExporterThatCannotReadIsAFailureOnlyInStrictMode) {
  // An exporter whose query cannot be opened writes an empty table and
  // succeeds; strict, the same call is a failure.
  XmlDocument doc;
  ASSERT_TRUE(doc.loadText("<Table></Table>"));
  EXPECT_TRUE(obj->OutputAccToXml(doc, "NO_COLUMN = 1", 1));
  const std::string why = engineSays("no such column: NO_COLUMN", "column \"no_column\" does not exist");
  EXPECT_EQ(obj->lastError(), why);
  obj->setStrict(true);
  try {
    obj->OutputAccToXml(doc, "NO_COLUMN = 1", 1);
    ADD_FAILURE() << "a strict export that could not read succeeded";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::InvalidInput);
    EXPECT_EQ(e.what(), why);
  }
  EXPECT_EQ(obj->lastError(), why);
}

}  // namespace
}  // namespace quillon::test
