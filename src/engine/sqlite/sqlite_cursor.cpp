// Cursors over SQLite queries. A SELECT over one table is prepared a second
// time with the table's rowid after the caller's columns, so that its rows
// can be changed or deleted one by one; every other query is read-only.
#include <strings.h>

#include <cctype>
#include <string>

#include "engine/failure.h"
#include "engine/sqlite/connection_impl.h"
#include "engine/sql_words.h"
#include "quillon/recordset.h"

namespace quillon::engine::sqlite {
namespace {

// The type code of a column from the type name the schema declared for it.
int typeFromDeclaration(const char* declared) {
  if (!declared) return -1;
  std::string t(declared);
  for (auto& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto has = [&](const char* word) { return t.find(word) != std::string::npos; };
  if (has("BIGINT")) return field_type::kBigInt;
  if (has("SMALLINT")) return field_type::kInteger16;
  if (has("TINYINT") || has("BYTE")) return field_type::kByte;
  if (has("INT") || has("LONG") || has("COUNTER")) return field_type::kLong;
  if (has("SINGLE")) return field_type::kSingle;
  if (has("DOUBLE") || has("REAL") || has("FLOA") || has("NUMERIC") || has("DECIMAL"))
    return field_type::kDouble;
  if (has("BOOL") || has("BIT")) return field_type::kBoolean;
  if (has("DATE") || has("TIME")) return field_type::kDate;
  if (has("CURRENCY") || has("MONEY")) return field_type::kCurrency;
  if (has("BLOB") || has("BINARY")) return field_type::kBinary;
  if (has("MEMO") || has("LONGTEXT")) return field_type::kMemo;
  return field_type::kText;
}

// Adds the row locator after the caller's columns, so that positions in
// ORDER BY and the like still name the columns the caller wrote; empty when
// the text gives no place for it.
std::string withRowid(std::string_view sql) {
  const std::size_t from = rowLocatorInsertPoint(sql);
  if (from == std::string_view::npos) return {};
  std::string out(sql.substr(0, from));
  out += ", rowid ";
  out += sql.substr(from);
  return out;
}

Statement prepareOrNull(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) {
    sqlite3_finalize(raw);
    return Statement();
  }
  return Statement(raw);
}

class SqliteCursor final : public Cursor {
 public:
  SqliteCursor(std::shared_ptr<SqliteConnection> connection, std::string key, PreparedQuery query)
      : connection_(std::move(connection)), key_(std::move(key)), query_(std::move(query)) {}
  ~SqliteCursor() override {
    if (query_.stmt) connection_->keepQuery(std::move(key_), std::move(query_));
  }

  void bind(std::span<const Value> params) {
    for (std::size_t i = 0; i < params.size(); ++i) bindValue(stmt(), static_cast<int>(i + 1), params[i]);
  }

  bool first() override {
    sqlite3_reset(stmt());
    return next();
  }

  bool next() override {
    const int rc = sqlite3_step(stmt());
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) throwFailure(connection_->handle());
    return false;
  }

  const std::vector<Column>& columns() const override { return query_.shape.columns; }
  Value value(int column) const override { return columnValue(stmt(), column); }
  void readRow(std::span<Value> out) const override {
    sqlite3_stmt* s = stmt();
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = columnValue(s, static_cast<int>(i));
  }
  const std::string& changeableTable() const override { return query_.shape.table; }
  Value locator() const override {
    return Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt(), query_.shape.rowidColumn)));
  }

 private:
  sqlite3_stmt* stmt() const { return query_.stmt.get(); }

  std::shared_ptr<SqliteConnection> connection_;
  std::string key_;
  PreparedQuery query_;
};

}  // namespace

PreparedQuery analyse(SqliteConnection& connection, const std::string& sql, bool changeable) {
  sqlite3* h = connection.handle();
  Statement plain = prepareOrNull(h, sql);
  if (!plain) throwFailure(h);
  if (sqlite3_stmt_readonly(plain.get()) == 0 || sqlite3_column_count(plain.get()) == 0)
    throw EngineError(Failure::Syntax, SQLITE_MISUSE, "the text is not a query that returns rows");

  PreparedQuery query;
  QueryShape& shape = query.shape;
  query.schemaGeneration = connection.schemaGeneration();
  const int columns = sqlite3_column_count(plain.get());
  std::string table;
  bool single = changeable;
  for (int i = 0; i < columns && single; ++i) {
    const char* t = sqlite3_column_table_name(plain.get(), i);
    if (!t || (!table.empty() && strcasecmp(t, table.c_str()) != 0))
      single = false;
    else
      table = t;
  }
  if (single && !table.empty()) {
    const std::string rewritten = withRowid(sql);
    Statement withId = rewritten.empty() ? Statement() : prepareOrNull(h, rewritten);
    if (withId && sqlite3_column_count(withId.get()) == columns + 1) {
      query.stmt = std::move(withId);
      shape.rowidColumn = columns;
      shape.table = table;
    }
  }
  if (!query.stmt) query.stmt = std::move(plain);

  sqlite3_stmt* s = query.stmt.get();
  for (int i = 0; i < columns; ++i) {
    Column& c = shape.columns.emplace_back();
    c.name = sqlite3_column_name(s, i);
    const char* origin = sqlite3_column_origin_name(s, i);
    const char* base = sqlite3_column_table_name(s, i);
    c.origin = origin ? origin : "";
    c.table = base ? base : "";
    c.type = typeFromDeclaration(sqlite3_column_decltype(s, i));
  }
  return query;
}

std::unique_ptr<Cursor> SqliteConnection::query(std::string_view sql, std::span<const Value> params,
                                                bool changeable) {
  std::string key(sql);
  key += changeable ? '\1' : '\0';
  PreparedQuery prepared;
  if (!takeQuery(key, prepared)) prepared = analyse(*this, std::string(sql), changeable);
  auto cursor = std::make_unique<SqliteCursor>(shared_from_this(), std::move(key), std::move(prepared));
  cursor->bind(params);
  return cursor;
}

}  // namespace quillon::engine::sqlite
