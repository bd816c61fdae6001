#pragma once
// The engine operations the component relies on: open a database file for
// exclusive use, execute a statement, open an updatable result set.
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/prepared_query.h"
#include "platform/sqlite_handles.h"
#include "quillon/recordset.h"
#include "quillon/value.h"

namespace quillon::platform {

class ProcessLock;

class Database : public std::enable_shared_from_this<Database> {
 public:
  struct Key {
   private:
    Key() = default;
    friend class Database;
  };
  Database(Key, sqlite3* db, std::shared_ptr<ProcessLock> lock);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens an existing file read-write (never creates one), for exclusive use
  // by this process. Throws quillon::Error with the engine's description.
  static std::shared_ptr<Database> open(const std::filesystem::path& file);
  // Creates a new database file and runs `script` (several statements) on it.
  static void create(const std::filesystem::path& file, std::string_view script);

  // Executes one statement; throws quillon::Error when it cannot be run.
  void execute(std::string_view sql);
  void execute(std::string_view sql, std::span<const Value> params);
  // Runs a text of several statements (schema and data scripts).
  void executeScript(std::string_view script);

  // Opens a result set positioned on the first row, if any. A single-table
  // SELECT is updatable; others are read-only.
  Recordset openRecordset(std::string_view sql);
  Recordset openRecordset(std::string_view sql, std::span<const Value> params);
  sqlite3* handle() const { return db_; }

  // Kept by the transaction scopes (platform/transaction.h): while one is
  // open, statements are refused once the engine has ended the transaction.
  void enterScope() { ++scopes_; }
  void leaveScope() { --scopes_; }
  // The engine's description of the last statement that failed here.
  const std::string& lastFailure() const { return lastFailure_; }

  // How long a statement waits for another connection's lock.
  void setBusyTimeout(int milliseconds);

  // Idle prepared queries of closed result sets, by query text. A query in
  // use is taken out, so two open sets never share a statement.
  bool takeQuery(const std::string& sql, PreparedQuery& out);
  void keepQuery(std::string sql, PreparedQuery query) noexcept;
  std::uint64_t schemaGeneration() const { return schemaGeneration_; }

 private:
  struct CachedStatement {
    Statement stmt;
    bool changesSchema = false;
  };
  CachedStatement& cachedStatement(std::string_view sql);
  void forgetQueries() noexcept;

  sqlite3* db_;
  std::shared_ptr<ProcessLock> lock_;
  int scopes_ = 0;
  std::string lastFailure_;
  std::unordered_map<std::string, CachedStatement> cache_;
  std::unordered_map<std::string, std::vector<PreparedQuery>> idleQueries_;
  std::size_t idleCount_ = 0;
  std::uint64_t schemaGeneration_ = 0;
};

// Throws quillon::Error carrying the engine's description of the last failure.
[[noreturn]] void throwEngineError(sqlite3* db);

}  // namespace quillon::platform
