#pragma once
// Owning handles for the SQLite C API, and values in and out of statements.
#include <sqlite3.h>

#include <memory>

#include "quillon/value.h"

namespace quillon::engine::sqlite {

struct StatementCloser {
  void operator()(sqlite3_stmt* s) const noexcept { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

// Binds `v` to parameter `index` (1-based); Empty and Null bind as NULL.
void bindValue(sqlite3_stmt* stmt, int index, const Value& v);

// The value of result column `col` of the current row.
Value columnValue(sqlite3_stmt* stmt, int col);

// Throws engine::EngineError for the connection's last failure.
[[noreturn]] void throwFailure(sqlite3* db);
[[noreturn]] void throwFailure(int code, const std::string& text);

}  // namespace quillon::engine::sqlite
