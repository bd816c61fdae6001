#pragma once
// The PostgreSQL engine's connection, shared by its files.
#include <libpq-fe.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/connection.h"
#include "engine/postgres/pg_library.h"
#include "quillon/error.h"

namespace quillon::engine::postgres {

struct ResultCloser {
  void operator()(PGresult* r) const noexcept { pq().clear(r); }
};
using Result = std::unique_ptr<PGresult, ResultCloser>;

// Parameters as the server takes them: text, or null for NULL.
class TextParams {
 public:
  explicit TextParams(std::span<const Value> values);
  int count() const { return static_cast<int>(pointers_.size()); }
  const char* const* values() const { return pointers_.data(); }

 private:
  std::vector<std::string> texts_;
  std::vector<const char*> pointers_;
};

// A name as the server stores an unquoted one: folded to lower case, quoted.
std::string serverName(std::string_view name);
// "INSERT INTO table(columns) VALUES($1,...)" in the server's names.
std::string insertText(std::string_view table, std::span<const std::string> columns);

// A field-type code (quillon/recordset.h) for a server type.
int typeCode(Oid type);
// A result value in the type the server gave it.
Value fieldValue(const PGresult* result, int row, int column);

// A table the row writers add to: its columns, their types as the server
// gives them, and the statements that insert a number of rows at once.
struct InsertTarget {
  std::string table;
  std::vector<std::string> columns;
  std::vector<Oid> types;
  std::size_t batch = 1;                          // rows one statement takes at most
  std::map<std::size_t, std::string> statements;  // rows -> prepared statement
};

// What a query gives, worked out once per text: its columns, and the table
// whose rows it can change one by one (empty when it cannot).
struct QueryShape {
  std::vector<Column> columns;
  std::string table;
  // The server's own description, to tell when a table changed under a
  // text already described.
  std::vector<std::pair<std::string, Oid>> described;
};

// Lets go of every hold of `session` (the desk's).
void letGo(PGconn* session) noexcept;

// A statement waits this long for a row another desk holds before it fails.
inline constexpr int kLockWaitMs = 30000;

// A session to the database `url` names, with what a desk needs of every
// session; throws EngineError when the server cannot be reached.
PGconn* connectTo(const std::string& url);

// A desk held by this program: the session that took the hold, kept here
// when its own connection closed before the others that share the hold.
struct DeskHold {
  DeskHold() = default;
  DeskHold(const DeskHold&) = delete;
  DeskHold& operator=(const DeskHold&) = delete;
  ~DeskHold();
  PGconn* session = nullptr;
  // The server's process of each session of this program on the desk: the
  // hold is this program's while one of them has it.
  std::set<int> sessions;
};

// Forgets `pid`, a session of this program on the desk of `hold`.
void forgetSession(DeskHold& hold, int pid);

class PgConnection final : public Connection, public std::enable_shared_from_this<PgConnection> {
 public:
  PgConnection(PGconn* conn, std::vector<std::string> spellings);
  ~PgConnection() override;
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  void execute(std::string_view sql, std::span<const Value> params) override;
  void executeScript(std::string_view script) override;
  std::unique_ptr<Cursor> query(std::string_view sql, std::span<const Value> params,
                                bool changeable) override;
  void insertRow(std::string_view table, std::span<const std::string> columns,
                 std::span<const Value> values) override;
  void updateRow(std::string_view table, const Value& locator, std::span<const std::string> columns,
                 std::span<const Value> values) override;
  void deleteRow(std::string_view table, const Value& locator) override;
  std::unique_ptr<RowWriter> rowWriter(std::string_view table, std::vector<std::string> columns) override;

  void begin(Intent intent) override;
  void commit() override;
  void rollback() noexcept override;
  bool inTransaction() const override;
  bool failureEndsTransaction() const override { return true; }
  void savepoint(std::string_view name) override;
  void release(std::string_view name) override;
  void rollbackTo(std::string_view name) override;
  std::int64_t changeCount() const override { return changes_; }
  void setBusyTimeout(int milliseconds) override;

  // One statement without parameters; throws EngineError when it fails.
  Result run(const std::string& sql);
  // A text of several statements without parameters, in one round trip:
  // the result of each, or the first failure thrown.
  std::vector<Result> runAll(const std::string& sql);
  // Shares the program's hold of `desk`; `took` when this connection's
  // session took it.
  void holdDesk(std::shared_ptr<DeskHold> hold, std::string desk, bool took);
  // Notes the names of tables by number (rows of oid, relname).
  void knowTables(const PGresult* names);
  // One statement with `$n` parameters, prepared once per text.
  Result runPrepared(const std::string& numberedSql, std::span<const Value> params);
  // One statement with `$n` parameters, not kept.
  Result runParams(const std::string& numberedSql, const TextParams& params);
  PGconn* handle() const { return conn_; }
  // Runs `work` so that its failure undoes only itself and leaves the
  // transaction usable: in a savepoint inside a transaction (outside one, a
  // statement is all or nothing on its own). Rethrows the failure.
  template <class Work>
  void undoneOnFailure(Work&& work) {
    if (!inTransaction()) {
      work();
      return;
    }
    static const std::string kStep = "SAVEPOINT quillon_step";
    defer(kStep);
    try {
      work();
    } catch (const Error&) {
      if (!deferred_.empty() && deferred_.back() == kStep)
        deferred_.pop_back();  // never sent: nothing to undo
      else
        runQuietly("ROLLBACK TO SAVEPOINT quillon_step; RELEASE SAVEPOINT quillon_step");
      throw;
    }
    if (!deferred_.empty() && deferred_.back() == kStep)
      deferred_.pop_back();
    else
      defer("RELEASE SAVEPOINT quillon_step");
  }
  // A cursor's next batch asked for before the cursor needs it, so that the
  // server makes it while the caller reads the batch before: sent now, its
  // answer read when the cursor takes it or before anything else is sent.
  // One at a time: false, and nothing sent, while another cursor's waits.
  // `owner` names the cursor.
  bool fetchAhead(const void* owner, const std::string& fetch);
  // The batch `owner` asked ahead; none when it has none waiting.
  Result takeAhead(const void* owner);
  // Forgets `owner`'s batch asked ahead, if any.
  void dropAhead(const void* owner) noexcept;
  // Declares a cursor and fetches its first batch, in one round trip.
  Result declareAndFetch(const std::string& declare, const TextParams& params, const std::string& fetch);
  // Closes a cursor with the next statement sent.
  void deferClose(const std::string& cursor) { defer("CLOSE " + cursor); }
  // The parameter types and result columns of a statement, as the server
  // works them out (the unnamed statement, not kept).
  Result describe(const std::string& numberedSql);
  // Statements of the row writers: prepared with their parameters' types,
  // run by name.
  std::string nextStatementName();
  void prepareTyped(const std::string& name, const std::string& sql, const std::vector<Oid>& types);
  Result runNamed(const std::string& name, std::span<const Value> params);
  // Rows of the row writers wait here, in the order added, whatever their
  // table, and go together, in one round trip, before anything else is sent:
  // the database sees every write in the order it was made.
  void queueRow(const std::shared_ptr<InsertTarget>& target, std::span<const Value> values);
  // Sends the waiting rows. When one fails, the rows before it stay, none
  // after it is written, and its failure is thrown.
  void sendQueued();
  // Rows a writer could not write after its user had moved on: the
  // transaction must not commit without them.
  void refuseCommit(std::string why);
  std::string nextCursorName() { return "quillon_c" + std::to_string(++cursors_); }
  // Counts transactions begun and ended, so that a cursor knows whether the
  // transaction it was declared in is still the one open.
  std::uint64_t transaction() const { return transactions_; }
  // Counts the sessions this connection has had, so that a cursor of a
  // session that was lost is not closed in the next one.
  std::uint64_t session() const { return sessions_; }
  // A session the server ended (restarted, cut off, the desk released) is
  // made again when the next call starts outside a transaction, and takes
  // the desk again, unless another program has taken it meanwhile; inside a
  // transaction the loss is that transaction's failure. Throws when the
  // server cannot be reached or the desk is held.
  void reviveIfLost();
  // Runs `work`, which starts a transaction or reads outside one; when the
  // session turns out to have been lost, makes it again and runs `work`
  // once more. Nothing of what `work` sent can have been kept: a session
  // that ends undoes its transaction, and a read changes nothing.
  template <class Work>
  void againIfLost(Work&& work) {
    reviveIfLost();
    if (transactionOpen_) {
      work();
      return;
    }
    try {
      work();
    } catch (const Error&) {
      if (pq().status(conn_) == CONNECTION_OK) throw;
      reviveIfLost();
      work();
    }
  }
  // The name as the installation's schema spells it (the server folds names
  // to lower case); the server's own when the schema does not have it.
  std::string spelled(std::string_view name) const;
  // The table a result's column comes from, spelled; empty for none, or for
  // a view, whose rows have no locator.
  std::string tableOf(Oid table);
  // The shape of a query (asked of the server the first time).
  const QueryShape& shapeOf(const std::string& original, const std::string& numbered);
  // Describes the text again: its tables changed since it was described.
  const QueryShape& freshShape(const std::string& original, const std::string& numbered) {
    shapes_.erase(numbered);
    return shapeOf(original, numbered);
  }

 private:
  void beginOnce(Intent intent);
  Result checked(PGresult* result);
  void countChanges(PGresult* result);
  // A statement whose only result is success, such as a savepoint's: sent
  // ahead of the next statement, in its round trip. Its failure is told by
  // that statement.
  void defer(std::string sql) { deferred_.push_back(std::move(sql)); }
  // Sends the deferred statements and then `sends` (each one message whose
  // result is read), in one round trip; returns the last result, or throws
  // the first failure.
  Result exchange(std::span<const std::function<int()>> sends);
  Result exchange(std::initializer_list<std::function<int()>> sends) {
    return exchange(std::span<const std::function<int()>>(sends.begin(), sends.size()));
  }
  struct QueuedRow {
    std::shared_ptr<InsertTarget> target;
    std::vector<Value> values;
  };
  // The rows in as few statements as their tables allow, in one round trip.
  void sendTogether(std::span<QueuedRow> rows);
  // Rows of one table by COPY, in two round trips.
  void copyIn(std::span<const QueuedRow> rows);
  // Reads the answer to a batch asked ahead, so that the connection is free
  // to send; a failure in it is thrown here, where the transaction ends.
  void collectAhead();
  // Runs `sql`, a failure of its own not told (the caller tells another).
  void runQuietly(const std::string& sql) noexcept;

  PGconn* conn_;
  std::unordered_map<std::string, std::string> spellings_;  // lower case -> as written
  std::unordered_map<std::string, std::string> prepared_;   // text -> statement name
  std::map<Oid, std::string> tables_;
  std::unordered_map<std::string, QueryShape> shapes_;
  std::int64_t changes_ = 0;
  std::uint64_t cursors_ = 0;
  std::uint64_t transactions_ = 0;
  std::uint64_t statements_ = 0;
  std::string refusal_;
  std::vector<std::string> deferred_;
  std::vector<QueuedRow> queued_;
  std::size_t queuedBytes_ = 0;
  int failedSend_ = -1;  // which of exchange()'s sends failed; -1 for none or a deferred one
  struct Ahead {
    const void* owner = nullptr;  // null when no batch was asked ahead
    bool read = false;            // the answer is in `result`
    bool inTransaction = false;   // as the connection was when it was sent
    Result result;
  };
  Ahead ahead_;
  std::shared_ptr<DeskHold> hold_;
  bool holder_ = false;
  std::string desk_;
  bool transactionOpen_ = false;  // begun and not yet ended, as the caller sees it
  bool deskRefused_ = false;      // revived while another program held the desk
  std::uint64_t sessions_ = 0;
  int lockWaitMs_;  // how long a statement waits for a row another desk holds
};

// The error a failed result stands for.
[[noreturn]] void throwFailure(PGconn* conn, const PGresult* result);

// Counts the waits for an answer (pg_connection.h roundTrips()).
extern std::atomic<std::uint64_t> trips;

// The installation's numbers for the server's advisory locks.
inline constexpr std::int32_t kInstallationLock = 0x51554c4e;

}  // namespace quillon::engine::postgres
