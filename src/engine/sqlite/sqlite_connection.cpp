#include "engine/sqlite/sqlite_connection.h"

#include <fmt/format.h>

#include <system_error>

#include "engine/failure.h"
#include "engine/sqlite/connection_impl.h"
#include "engine/sql_words.h"
#include "platform/process_lock.h"
#include "quillon/error.h"

namespace quillon::engine::sqlite {
namespace {

constexpr std::size_t kStatementCacheLimit = 256;
constexpr std::size_t kIdleQueryLimit = 256;
constexpr int kBusyTimeoutMs = 5000;

bool blankTail(const char* tail) {
  for (; tail && *tail; ++tail) {
    const char c = *tail;
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != ';') return false;
  }
  return true;
}

Statement prepare(sqlite3* db, std::string_view sql) {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, &tail) != SQLITE_OK)
    throwFailure(db);
  Statement stmt(raw);
  if (!stmt) throw EngineError(Failure::Syntax, SQLITE_MISUSE, "the statement text is empty");
  if (tail && tail < sql.data() + sql.size() &&
      !blankTail(std::string(tail, sql.data() + sql.size()).c_str()))
    throw EngineError(Failure::Syntax, SQLITE_MISUSE, "the text holds more than one statement");
  return stmt;
}

void stepToEnd(sqlite3* db, sqlite3_stmt* stmt) {
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) {
    const int code = sqlite3_errcode(db);
    const std::string message = sqlite3_errmsg(db);
    sqlite3_reset(stmt);
    throwFailure(code, message);
  }
  sqlite3_reset(stmt);
}

// Runs a statement whose parameters live until it ends, so their text need
// not be copied; no binding outlasts the call.
void runBound(sqlite3* db, sqlite3_stmt* stmt, std::span<const Value> values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    const Value& v = values[i];
    const int index = static_cast<int>(i + 1);
    if (v.kind() == Value::Kind::Text)
      sqlite3_bind_text(stmt, index, v.text().data(), static_cast<int>(v.text().size()), SQLITE_STATIC);
    else
      bindValue(stmt, index, v);
  }
  try {
    stepToEnd(db, stmt);
  } catch (...) {
    sqlite3_clear_bindings(stmt);
    throw;
  }
  sqlite3_clear_bindings(stmt);
}

// A statement that changes tables' columns makes every kept query's column
// analysis stale.
bool changesSchema(std::string_view sql) {
  for (const char* word : {"create", "alter", "drop"})
    if (afterLeadingWord(sql, word) != std::string_view::npos) return true;
  return false;
}

sqlite3* openFile(const std::filesystem::path& file, int flags) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(file.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
    sqlite3_close_v2(raw);
    throwFailure(rc, message);
  }
  return raw;
}

std::string quotedName(std::string_view name) {
  std::string out = "\"";
  for (const char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace

SqliteConnection::SqliteConnection(sqlite3* db, std::shared_ptr<platform::ProcessLock> lock)
    : db_(db), lock_(std::move(lock)) {}

SqliteConnection::~SqliteConnection() {
  idleQueries_.clear();
  cache_.clear();
  sqlite3_close_v2(db_);
}

std::shared_ptr<Connection> open(const std::filesystem::path& file) {
  // An absolute path keeps a folder named like "file:..." from being read as
  // a URI by the engine.
  std::error_code ec;
  const std::filesystem::path path = std::filesystem::absolute(file, ec);
  if (ec) throw Error(ErrorKind::IO, fmt::format("unable to open database file: {}", ec.message()));
  if (!std::filesystem::is_regular_file(path, ec))
    throw Error(ErrorKind::NotFound,
                fmt::format("unable to open database file: {} does not exist", path.string()));
  auto lock = platform::ProcessLock::acquire(path);
  sqlite3* raw = openFile(path, SQLITE_OPEN_READWRITE);
  // The engine opens a file it may not write read-only without a word; every
  // operation that writes would then fail one statement at a time.
  if (sqlite3_db_readonly(raw, "main") == 1) {
    sqlite3_close_v2(raw);
    throw Error(ErrorKind::IO,
                fmt::format("attempt to write a readonly database: {} cannot be written", path.string()));
  }
  auto connection = std::make_shared<SqliteConnection>(raw, std::move(lock));
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_extended_result_codes(raw, 0);
  // Objects of this process may hold several connections; let a writer wait
  // briefly for another rather than fail at once.
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  // A damaged or foreign file is detected here, not at the first query.
  connection->execute("select count(*) from sqlite_master", {});
  return connection;
}

void create(const std::filesystem::path& file, std::string_view script) {
  SqliteConnection connection(openFile(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE), nullptr);
  // Readers never wait for the writer, and a commit costs one append.
  connection.executeScript("PRAGMA journal_mode = WAL");
  connection.executeScript(script);
}

void SqliteConnection::executeScript(std::string_view script) {
  forgetQueries();
  const std::string text(script);
  char* message = nullptr;
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string description = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throwFailure(sqlite3_errcode(db_), description);
  }
}

SqliteConnection::CachedStatement& SqliteConnection::cachedStatement(std::string_view sql) {
  if (auto it = cache_.find(sql); it != cache_.end()) return it->second;
  CachedStatement made{prepare(db_, sql), changesSchema(sql)};
  if (cache_.size() >= kStatementCacheLimit) cache_.clear();
  return cache_.emplace(std::string(sql), std::move(made)).first->second;
}

bool SqliteConnection::takeQuery(const std::string& key, PreparedQuery& out) {
  const auto it = idleQueries_.find(key);
  if (it == idleQueries_.end() || it->second.empty()) return false;
  out = std::move(it->second.back());
  it->second.pop_back();
  --idleCount_;
  return true;
}

void SqliteConnection::forgetQueries() noexcept {
  idleQueries_.clear();
  idleCount_ = 0;
  ++schemaGeneration_;
}

void SqliteConnection::keepQuery(std::string key, PreparedQuery query) noexcept {
  if (query.schemaGeneration != schemaGeneration_) return;
  try {
    sqlite3_reset(query.stmt.get());
    sqlite3_clear_bindings(query.stmt.get());
    if (idleCount_ >= kIdleQueryLimit) {
      idleQueries_.clear();
      idleCount_ = 0;
    }
    idleQueries_[std::move(key)].push_back(std::move(query));
    ++idleCount_;
  } catch (...) {
    // Out of memory: the statement is simply finalized.
  }
}

void SqliteConnection::execute(std::string_view sql, std::span<const Value> params) {
  CachedStatement& cached = cachedStatement(sql);
  if (cached.changesSchema) forgetQueries();
  runBound(db_, cached.stmt.get(), params);
}

namespace {

// The INSERT of one row into the named columns of `table`.
std::string insertText(std::string_view table, std::span<const std::string> columns) {
  std::string names, marks;
  for (const auto& column : columns) {
    if (!names.empty()) names += ',', marks += ',';
    names += quotedName(column);
    marks += '?';
  }
  return names.empty() ? fmt::format("INSERT INTO {} DEFAULT VALUES", quotedName(table))
                       : fmt::format("INSERT INTO {}({}) VALUES({})", quotedName(table), names, marks);
}

// One prepared INSERT for the writer's life, its values bound straight from
// the row given.
class SqliteRowWriter final : public RowWriter {
 public:
  SqliteRowWriter(sqlite3* db, Statement statement) : db_(db), statement_(std::move(statement)) {}
  void add(std::span<const Value> values) override { runBound(db_, statement_.get(), values); }

 private:
  sqlite3* db_;
  Statement statement_;
};

}  // namespace

void SqliteConnection::insertRow(std::string_view table, std::span<const std::string> columns,
                                 std::span<const Value> values) {
  execute(insertText(table, columns), values);
}

std::unique_ptr<RowWriter> SqliteConnection::rowWriter(std::string_view table,
                                                       std::vector<std::string> columns) {
  return std::make_unique<SqliteRowWriter>(db_, prepare(db_, insertText(table, columns)));
}

void SqliteConnection::updateRow(std::string_view table, const Value& locator,
                                 std::span<const std::string> columns, std::span<const Value> values) {
  if (columns.empty()) return;
  std::string sets;
  for (const auto& column : columns) {
    if (!sets.empty()) sets += ',';
    sets += quotedName(column) + "=?";
  }
  std::vector<Value> params(values.begin(), values.end());
  params.push_back(locator);
  execute(fmt::format("UPDATE {} SET {} WHERE rowid=?", quotedName(table), sets), params);
}

void SqliteConnection::deleteRow(std::string_view table, const Value& locator) {
  execute(fmt::format("DELETE FROM {} WHERE rowid=?", quotedName(table)),
          std::span<const Value>(&locator, 1));
}

void SqliteConnection::run(const char* sql) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throwFailure(db_);
}

void SqliteConnection::begin(Intent intent) { run(intent == Intent::Write ? "BEGIN IMMEDIATE" : "BEGIN"); }

void SqliteConnection::commit() { run("COMMIT"); }

void SqliteConnection::rollback() noexcept { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); }

void SqliteConnection::savepoint(std::string_view name) {
  run(fmt::format("SAVEPOINT {}", quotedName(name)).c_str());
}

void SqliteConnection::release(std::string_view name) {
  run(fmt::format("RELEASE {}", quotedName(name)).c_str());
}

void SqliteConnection::rollbackTo(std::string_view name) {
  run(fmt::format("ROLLBACK TO {}", quotedName(name)).c_str());
}

}  // namespace quillon::engine::sqlite
