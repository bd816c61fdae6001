// Object lifetime and the query primitives. The other members are forwarded
// to their subsystems in the dbfunc_*.cpp files beside this one.
#include "quillon/dbfunc.h"

#include "component/component_folder.h"
#include "component/error_report.h"
#include "component/session.h"
#include "db/queries.h"

namespace quillon {
namespace {
constexpr const char* kConnectFailed = "数据库连接失败！";
}

DBFunc::DBFunc(Host& host, const std::filesystem::path& componentFolder)
    : session_(std::make_unique<Session>(Session{host, resolveComponentFolder(componentFolder), nullptr})) {
  try {
    session_->db = platform::Database::open(session_->databaseFile());
  } catch (const std::exception& e) {
    report::coded(host, kConnectFailed, report::kConnectionFailed, e.what());
  }
}

DBFunc::~DBFunc() = default;

Session& sessionOf(DBFunc& object) { return *object.session_; }

bool DBFunc::connected() const { return session_->db != nullptr; }
const std::filesystem::path& DBFunc::componentFolder() const { return session_->home; }

std::int32_t DBFunc::Db_GetCount(const std::string& Table, const std::string& strFilter) {
  return db::Queries(*session_).Db_GetCount(Table, strFilter);
}

std::int32_t DBFunc::GetMaxNo(const std::string& Table, const std::string& RowName) {
  return db::Queries(*session_).GetMaxNo(Table, RowName);
}

std::int32_t DBFunc::GetGUID() { return db::Queries(*session_).GetGUID(); }

bool DBFunc::ExecuteSql(const std::string& strSql) { return db::Queries(*session_).ExecuteSql(strSql); }

bool DBFunc::GetValue(const std::string& strSql, Recordset& rs) {
  return db::Queries(*session_).GetValue(strSql, rs);
}

}  // namespace quillon
