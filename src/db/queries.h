#pragma once
// The query primitives: count rows, next serial number, next global
// identifier, execute a statement, open a result set. Each catches its own
// failures: the first two report them (DBF-00002, DBF-00003), the rest are
// silent.
#include <cstdint>
#include <span>
#include <string>

#include "core/session.h"
#include "quillon/recordset.h"

namespace quillon::db {

class Queries {
 public:
  explicit Queries(Session& session) : session_(session) {}

  // Table, column and filter go into the SQL text as given: these are the
  // caller's own SQL pieces, never values from a package.
  std::int32_t Db_GetCount(const std::string& Table, const std::string& strFilter);
  // The same count and report with the filter's values bound to its "?"
  // marks, so that one prepared statement serves every value.
  std::int32_t Db_GetCount(const std::string& Table, const std::string& strFilter,
                           std::span<const Value> values);
  std::int32_t GetMaxNo(const std::string& Table, const std::string& RowName);
  std::int32_t GetGUID();
  bool ExecuteSql(const std::string& strSql);
  bool GetValue(const std::string& strSql, Recordset& rs);

 private:
  Session& session_;
};

// The count's statement text, shared with code that needs the same count
// without the report.
std::string countSql(const std::string& table, const std::string& filter);

}  // namespace quillon::db
