#pragma once
// The SQLite connection, shared by its cursors: they take their prepared
// queries from it and give them back when they close.
#include <sqlite3.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/connection.h"
#include "engine/sqlite/handles.h"
#include "engine/sqlite/prepared_query.h"

namespace quillon::platform {
class ProcessLock;
}

namespace quillon::engine::sqlite {

class SqliteConnection final : public Connection, public std::enable_shared_from_this<SqliteConnection> {
 public:
  SqliteConnection(sqlite3* db, std::shared_ptr<platform::ProcessLock> lock);
  ~SqliteConnection() override;
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

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
  bool inTransaction() const override { return sqlite3_get_autocommit(db_) == 0; }
  bool failureEndsTransaction() const override { return false; }
  void savepoint(std::string_view name) override;
  void release(std::string_view name) override;
  void rollbackTo(std::string_view name) override;
  std::int64_t changeCount() const override { return sqlite3_total_changes64(db_); }
  void setBusyTimeout(int milliseconds) override { sqlite3_busy_timeout(db_, milliseconds); }

  sqlite3* handle() const { return db_; }
  // Idle prepared queries of closed cursors, by query text and kind. A query
  // in use is taken out, so two open cursors never share a statement.
  bool takeQuery(const std::string& key, PreparedQuery& out);
  void keepQuery(std::string key, PreparedQuery query) noexcept;
  std::uint64_t schemaGeneration() const { return schemaGeneration_; }

 private:
  struct CachedStatement {
    Statement stmt;
    bool changesSchema = false;
  };
  // Looked up by the caller's text as it stands, without a copy of it.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
      return std::hash<std::string_view>{}(text);
    }
  };
  CachedStatement& cachedStatement(std::string_view sql);
  void run(const char* sql);
  void forgetQueries() noexcept;

  sqlite3* db_;
  std::shared_ptr<platform::ProcessLock> lock_;
  std::unordered_map<std::string, CachedStatement, TextHash, std::equal_to<>> cache_;
  std::unordered_map<std::string, std::vector<PreparedQuery>> idleQueries_;
  std::size_t idleCount_ = 0;
  std::uint64_t schemaGeneration_ = 0;
};

// Prepares `sql` and works out its columns and, when `changeable`, whether
// its rows can be changed one by one.
PreparedQuery analyse(SqliteConnection& connection, const std::string& sql, bool changeable);

}  // namespace quillon::engine::sqlite
