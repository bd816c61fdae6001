// Values in and out of SQLite statements, and its failures as the house's.
#include <fmt/format.h>

#include <string>

#include "engine/failure.h"
#include "engine/sqlite/handles.h"

namespace quillon::engine::sqlite {
namespace {

Failure failureOf(int code) {
  switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return Failure::Busy;
    case SQLITE_FULL:
      return Failure::Full;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
      return Failure::IO;
    case SQLITE_CONSTRAINT:
      return Failure::Constraint;
    case SQLITE_ERROR:  // the text of a statement: no such table, a syntax error
    case SQLITE_MISMATCH:
    case SQLITE_RANGE:
    case SQLITE_TOOBIG:
      return Failure::Syntax;
    default:
      return Failure::Other;
  }
}

}  // namespace

void throwFailure(int code, const std::string& text) { throw EngineError(failureOf(code), code, text); }

void throwFailure(sqlite3* db) {
  if (!db) throw EngineError(Failure::Other, SQLITE_NOMEM, "out of memory");
  throwFailure(sqlite3_errcode(db), sqlite3_errmsg(db));
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

}  // namespace quillon::engine::sqlite
