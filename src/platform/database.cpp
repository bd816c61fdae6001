#include "platform/database.h"

#include <fmt/format.h>

#include <system_error>

#include "platform/process_lock.h"
#include "platform/recordset_impl.h"
#include "platform/sql_words.h"
#include "quillon/error.h"

namespace quillon::platform {
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

ErrorKind kindOfEngineCode(int code) {
  switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ErrorKind::Locked;
    case SQLITE_FULL:
      return ErrorKind::StorageFull;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
      return ErrorKind::IO;
    case SQLITE_ERROR:  // the text of a statement: no such table, a syntax error
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_RANGE:
    case SQLITE_TOOBIG:
      return ErrorKind::InvalidInput;
    default:
      return ErrorKind::Engine;
  }
}

Statement prepare(sqlite3* db, std::string_view sql) {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, &tail) != SQLITE_OK)
    throwEngineError(db);
  Statement stmt(raw);
  if (!stmt) throw Error(ErrorKind::InvalidInput, "the statement text is empty");
  if (tail && tail < sql.data() + sql.size() &&
      !blankTail(std::string(tail, sql.data() + sql.size()).c_str()))
    throw Error(ErrorKind::InvalidInput, "the text holds more than one statement");
  return stmt;
}

void stepToEnd(sqlite3* db, sqlite3_stmt* stmt) {
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) {
    const std::string message = sqlite3_errmsg(db);
    const ErrorKind kind = kindOfEngineCode(sqlite3_errcode(db));
    sqlite3_reset(stmt);
    throw Error(kind, message);
  }
  sqlite3_reset(stmt);
}

// A statement that changes tables' columns makes every kept query's column
// analysis stale.
bool changesSchema(std::string_view sql) {
  for (const char* word : {"create", "alter", "drop"})
    if (afterLeadingWord(sql, word) != std::string_view::npos) return true;
  return false;
}

}  // namespace

void throwEngineError(sqlite3* db) {
  if (!db) throw Error(ErrorKind::Engine, "out of memory");
  throw Error(kindOfEngineCode(sqlite3_errcode(db)), sqlite3_errmsg(db));
}

void bindValue(sqlite3_stmt* stmt, int index, const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Empty:
    case Value::Kind::Null:
      sqlite3_bind_null(stmt, index);
      break;
    case Value::Kind::Integer:
      sqlite3_bind_int64(stmt, index, v.integer());
      break;
    case Value::Kind::Real:
      sqlite3_bind_double(stmt, index, v.real());
      break;
    case Value::Kind::Text:
      sqlite3_bind_text(stmt, index, v.text().data(), static_cast<int>(v.text().size()), SQLITE_TRANSIENT);
      break;
  }
}

Value columnValue(sqlite3_stmt* stmt, int col) {
  switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_INTEGER:
      return Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt, col)));
    case SQLITE_FLOAT:
      return Value(sqlite3_column_double(stmt, col));
    case SQLITE_NULL:
      return Value::null();
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
      return Value(std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, col))));
    }
  }
}

Database::Database(Key, sqlite3* db, std::shared_ptr<ProcessLock> lock) : db_(db), lock_(std::move(lock)) {}

Database::~Database() {
  idleQueries_.clear();
  cache_.clear();
  sqlite3_close_v2(db_);
}

std::shared_ptr<Database> Database::open(const std::filesystem::path& file) {
  // An absolute path keeps a folder named like "file:..." from being read as
  // a URI by the engine.
  std::error_code ec;
  const std::filesystem::path path = std::filesystem::absolute(file, ec);
  if (ec) throw Error(ErrorKind::IO, fmt::format("unable to open database file: {}", ec.message()));
  if (!std::filesystem::is_regular_file(path, ec))
    throw Error(ErrorKind::NotFound,
                fmt::format("unable to open database file: {} does not exist", path.string()));
  auto lock = ProcessLock::acquire(path);
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
    sqlite3_close_v2(raw);
    throw Error(kindOfEngineCode(rc), message);
  }
  // The engine opens a file it may not write read-only without a word; every
  // operation that writes would then fail one statement at a time.
  if (sqlite3_db_readonly(raw, "main") == 1) {
    sqlite3_close_v2(raw);
    throw Error(ErrorKind::IO,
                fmt::format("attempt to write a readonly database: {} cannot be written", path.string()));
  }
  auto db = std::make_shared<Database>(Key{}, raw, std::move(lock));
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_extended_result_codes(raw, 0);
  // Objects of this process may hold several connections; let a writer wait
  // briefly for another rather than fail at once.
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  // A damaged or foreign file is detected here, not at the first query.
  db->execute("select count(*) from sqlite_master");
  return db;
}

void Database::create(const std::filesystem::path& file, std::string_view script) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(file.c_str(), &raw,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
    sqlite3_close_v2(raw);
    throw Error(kindOfEngineCode(rc), message);
  }
  auto db = std::make_shared<Database>(Key{}, raw, nullptr);
  db->executeScript(script);
}

void Database::executeScript(std::string_view script) {
  forgetQueries();
  const std::string text(script);
  char* message = nullptr;
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string description = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw Error(kindOfEngineCode(sqlite3_errcode(db_)), description);
  }
}

Database::CachedStatement& Database::cachedStatement(std::string_view sql) {
  const std::string key(sql);
  if (auto it = cache_.find(key); it != cache_.end()) return it->second;
  CachedStatement made{prepare(db_, sql), changesSchema(sql)};
  if (cache_.size() >= kStatementCacheLimit) cache_.clear();
  return cache_.emplace(key, std::move(made)).first->second;
}

bool Database::takeQuery(const std::string& sql, PreparedQuery& out) {
  const auto it = idleQueries_.find(sql);
  if (it == idleQueries_.end() || it->second.empty()) return false;
  out = std::move(it->second.back());
  it->second.pop_back();
  --idleCount_;
  return true;
}

void Database::forgetQueries() noexcept {
  idleQueries_.clear();
  idleCount_ = 0;
  ++schemaGeneration_;
}

void Database::keepQuery(std::string sql, PreparedQuery query) noexcept {
  if (query.schemaGeneration != schemaGeneration_) return;
  try {
    sqlite3_reset(query.stmt.get());
    sqlite3_clear_bindings(query.stmt.get());
    if (idleCount_ >= kIdleQueryLimit) {
      idleQueries_.clear();
      idleCount_ = 0;
    }
    idleQueries_[std::move(sql)].push_back(std::move(query));
    ++idleCount_;
  } catch (...) {
    // Out of memory: the statement is simply finalized.
  }
}

void Database::execute(std::string_view sql) { execute(sql, {}); }

void Database::execute(std::string_view sql, std::span<const Value> params) {
  if (scopes_ > 0 && sqlite3_get_autocommit(db_) != 0)
    throw Error(fmt::format(
        "the database ended the transaction after a failure ({}); nothing more is written", lastFailure_));
  try {
    CachedStatement& cached = cachedStatement(sql);
    sqlite3_stmt* stmt = cached.stmt.get();
    sqlite3_clear_bindings(stmt);
    for (std::size_t i = 0; i < params.size(); ++i) bindValue(stmt, static_cast<int>(i + 1), params[i]);
    if (cached.changesSchema) forgetQueries();
    stepToEnd(db_, stmt);
  } catch (const Error& e) {
    lastFailure_ = e.what();
    throw;
  }
}

Recordset Database::openRecordset(std::string_view sql) { return openRecordset(sql, {}); }

Recordset Database::openRecordset(std::string_view sql, std::span<const Value> params) {
  return RecordsetImplFactory::open(shared_from_this(), sql, params);
}

void Database::setBusyTimeout(int milliseconds) { sqlite3_busy_timeout(db_, milliseconds); }

}  // namespace quillon::platform
