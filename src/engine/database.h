#pragma once
// The database as the house uses it: a connection to whichever engine the
// installation names, the rule that nothing is written once the engine has
// ended a transaction, and result sets over its queries.
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/connection.h"
#include "quillon/recordset.h"
#include "quillon/value.h"

namespace quillon::engine {

class Database : public std::enable_shared_from_this<Database> {
 public:
  explicit Database(std::shared_ptr<Connection> connection);
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens an existing database (never creates one) for exclusive use by this
  // process. Throws quillon::Error with the engine's description.
  static std::shared_ptr<Database> open(const std::filesystem::path& file);
  // Connects to a server's database for one desk (engine/postgres).
  static std::shared_ptr<Database> openServer(const std::string& url, const std::string& desk,
                                              std::vector<std::string> spellings);
  // Runs `script` on a server's database unless it holds the table `probe`
  // already; true when it ran.
  static bool createOnServer(const std::string& url, std::string_view probe, std::string_view script);
  // Ends the programs that hold `desk` of a server's installation; how many.
  static int releaseDesk(const std::string& url, const std::string& desk);
  // Creates a new database and runs `script` (several statements) on it.
  static void create(const std::filesystem::path& file, std::string_view script);

  // Executes one statement; throws quillon::Error when it cannot be run.
  void execute(std::string_view sql, std::span<const Value> params = {});
  // Runs a text of several statements (schema and data scripts).
  void executeScript(std::string_view script);

  // Opens a result set positioned on the first row, if any. A SELECT whose
  // columns all come from one table is updatable; others are read-only.
  Recordset openRecordset(std::string_view sql, std::span<const Value> params = {});

  // Row changes of the updatable result sets.
  void insertRow(std::string_view table, std::span<const std::string> columns, std::span<const Value> values);
  void updateRow(std::string_view table, const Value& locator, std::span<const std::string> columns,
                 std::span<const Value> values);
  void deleteRow(std::string_view table, const Value& locator);
  // Rows into `table`'s `columns` through one prepared statement, each row
  // as a statement of its own: a failed row leaves the rows before it.
  std::unique_ptr<RowWriter> rowWriter(std::string_view table, std::vector<std::string> columns);

  Connection& connection() const { return *connection_; }

  // Kept by the transaction scopes (engine/transaction.h): while one is
  // open, statements are refused once the engine has ended the transaction.
  void enterScope() { ++scopes_; }
  void leaveScope() { --scopes_; }
  // The engine's description of the last statement that failed here.
  const std::string& lastFailure() const { return lastFailure_; }

 private:
  friend class NotingWriter;
  void requireLiveTransaction() const;
  // Runs one statement's work, noting its failure; `guarded`, where a failed
  // statement ends the engine's transaction, inside a savepoint of its own.
  template <class Work>
  void noting(Work&& work, bool guarded = true);

  std::shared_ptr<Connection> connection_;
  int scopes_ = 0;
  std::string lastFailure_;
};

// For tests: every connection opened from now on is first passed through
// `wrap` (a fault-injecting wrapper); an empty function stops it.
void wrapConnections(std::function<std::shared_ptr<Connection>(std::shared_ptr<Connection>)> wrap);

}  // namespace quillon::engine
