// Object lifetime and the query primitives. The other members are forwarded
// to their subsystems in the dbfunc_*.cpp files beside this one.
#include "quillon/dbfunc.h"

#include "component/calls.h"
#include "component/session_access.h"
#include "core/error_report.h"
#include "core/session.h"
#include "db/connect.h"
#include "db/queries.h"
#include "quillon/component_folder.h"
#include "tree/tree_outline.h"

namespace quillon {
namespace {
constexpr const char* kConnectFailed = "数据库连接失败！";
}

DBFunc::DBFunc(Host& host, const std::filesystem::path& componentFolder)
    : session_(std::make_unique<State>(host, resolveComponentFolder(componentFolder))) {
  try {
    session_->db = db::openDatabase(session_->home);
  } catch (const std::exception& e) {
    session_->noteFailure(e.what());
    const auto* known = dynamic_cast<const Error*>(&e);
    session_->openFailure.emplace(known ? known->kind() : ErrorKind::Engine, e.what(),
                                  std::string(report::kConnectionFailed));
    report::coded(host, kConnectFailed, report::kConnectionFailed, e.what());
  }
}

void DBFunc::requireConnected() const {
  if (session_->openFailure) throw *session_->openFailure;
}

DBFunc::~DBFunc() = default;

bool DBFunc::connected() const { return session_->db != nullptr; }
const std::filesystem::path& DBFunc::componentFolder() const { return session_->home; }
const std::string& DBFunc::lastError() const { return session_->lastError; }
void DBFunc::setStrict(bool strict) { session_->strict = strict; }
std::int64_t DBFunc::valuesReplaced() const { return session_->valuesReplaced; }
std::optional<std::int32_t> DBFunc::ownerMade() const { return session_->ownerMade; }

const std::vector<std::pair<std::string, std::string>>& DBFunc::namesChanged() const {
  return session_->namesChanged;
}

std::string DBFunc::treeOutline(std::int16_t ori, std::int32_t ownerId, bool all) {
  return calls::reads(*session_, [&] { return tree::renderOutline(*session_, ori, ownerId, all); });
}

std::vector<OutlineNode> DBFunc::treeNodes(std::int16_t ori, std::int32_t ownerId, bool all) {
  return calls::reads(*session_, [&] { return tree::outlineNodes(*session_, ori, ownerId, all); });
}

std::int32_t DBFunc::Db_GetCount(const std::string& Table, const std::string& strFilter) {
  return calls::plain(*session_, [&] { return db::Queries(*session_).Db_GetCount(Table, strFilter); });
}

std::int32_t DBFunc::GetMaxNo(const std::string& Table, const std::string& RowName) {
  return calls::plain(*session_, [&] { return db::Queries(*session_).GetMaxNo(Table, RowName); });
}

std::int32_t DBFunc::GetGUID() {
  return calls::plain(*session_, [&] { return db::Queries(*session_).GetGUID(); });
}

bool DBFunc::ExecuteSql(const std::string& strSql) {
  return calls::plain(*session_, [&] { return db::Queries(*session_).ExecuteSql(strSql); });
}

bool DBFunc::GetValue(const std::string& strSql, Recordset& rs) {
  return calls::plain(*session_, [&] { return db::Queries(*session_).GetValue(strSql, rs); });
}

}  // namespace quillon
