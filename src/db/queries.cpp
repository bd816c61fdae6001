#include "db/queries.h"

#include "core/error_report.h"
#include "core/numbering.h"
#include "db/tables.h"
#include "quillon/error.h"

namespace quillon::db {
namespace {

constexpr const char* kCountFailed = "执行语句错误！";
constexpr const char* kSerialFailed = "取流水号出错！";

}  // namespace

std::string countSql(const std::string& table, const std::string& filter) {
  if (filter.empty()) return "select count(*) from " + table;
  return "select count(*) from " + table + " where " + filter;
}

std::int32_t Queries::Db_GetCount(const std::string& Table, const std::string& strFilter) {
  return Db_GetCount(Table, strFilter, {});
}

std::int32_t Queries::Db_GetCount(const std::string& Table, const std::string& strFilter,
                                  std::span<const Value> values) {
  try {
    Recordset rs = session_.database().openRecordset(countSql(Table, strFilter), values);
    std::int32_t result = 0;
    if (!rs.atEnd()) {
      rs.moveFirst();
      result = rs.value(0).toInt32();
    }
    return result;
  } catch (const std::exception& e) {
    report::coded(session_.host, kCountFailed, report::kStatementFailed, e.what());
    session_.silentFailure(e, report::kStatementFailed);
    return -1;
  }
}

std::int32_t Queries::GetMaxNo(const std::string& Table, const std::string& RowName) {
  try {
    return numbering::next(session_, {Table, RowName});
  } catch (const std::exception& e) {
    report::coded(session_.host, kSerialFailed, report::kSerialFailed, e.what());
    session_.silentFailure(e, report::kSerialFailed);
    return -1;
  }
}

std::int32_t Queries::GetGUID() {
  try {
    return numbering::next(session_, {table::kGuid, "GUID"});
  } catch (const std::exception& e) {
    session_.silentFailure(e);
    return -1;
  }
}

bool Queries::ExecuteSql(const std::string& strSql) {
  try {
    session_.database().execute(strSql);
    return true;
  } catch (const std::exception& e) {
    session_.silentFailure(e);
    return false;
  }
}

bool Queries::GetValue(const std::string& strSql, Recordset& rs) {
  try {
    rs = session_.database().openRecordset(strSql);
    return true;
  } catch (const std::exception& e) {
    session_.silentFailure(e);
    return false;
  }
}

}  // namespace quillon::db
