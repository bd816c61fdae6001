#include "tree/tree_lookups.h"

#include <string_view>

#include "db/queries.h"
#include "db/sql_text.h"
#include "db/tables.h"
#include "quillon/recordset.h"

namespace quillon::tree {
namespace {

std::string decimal(std::int64_t n) { return std::to_string(n); }

}  // namespace

std::string TreeLookups::GetBStype(std::int32_t NODE_ID, std::int16_t ORI_MODE) {
  const db::Side& side = db::sideOf(ORI_MODE);
  const std::string sql = "Select TYPE_NAME from T_PROJECT_TYPE where TYPE_ID in( select " +
                          std::string(side.projectType) + " from " + std::string(side.tree) +
                          " where NODE_ID=" + decimal(NODE_ID) + ")";
  Recordset rs;
  if (!db::Queries(session_).GetValue(sql, rs) || rs.atEnd()) return {};
  return rs.value("TYPE_NAME").toText();
}

std::int16_t TreeLookups::GetBsTypeByNodeID(std::int32_t NODE_ID, std::int16_t ORI_MODE) {
  const db::Side& side = db::sideOf(ORI_MODE);
  const std::string sql = "select " + std::string(side.projectType) + " from " + std::string(side.tree) +
                          " where NODE_ID=" + decimal(NODE_ID);
  Recordset rs;
  if (!db::Queries(session_).GetValue(sql, rs)) return -1;
  return rs.value(side.projectType).toInt16();
}

std::string TreeLookups::GetBsTypeByProjectID(std::int32_t ProjectID, std::int16_t ORI_MODE) {
  const bool project = db::projectSide(ORI_MODE);
  const std::string_view table = project ? db::table::kProject : db::table::kResourceTree;
  const std::string_view key = project ? "PROJECT_ID" : "RESOURCE_ID";
  const std::string sql = "Select TYPE_NAME from T_PROJECT_TYPE where TYPE_ID in( select PROJECT_TYPE from " +
                          std::string(table) + " where " + std::string(key) + "=" + decimal(ProjectID) + ")";
  Recordset rs;
  if (!db::Queries(session_).GetValue(sql, rs)) return {};
  return rs.value("TYPE_NAME").toText();
}

std::int32_t TreeLookups::GetProjectTypeId(std::int32_t id, std::int16_t ori) {
  const std::string sql =
      db::projectSide(ori)
          ? "Select PROJECT_TYPE from TJ_PROCUREMENT_PROJECT where PROJECT_ID=" + decimal(id) + " AND sts='V'"
          : "Select PROJECT_TYPE from T_RESOURCE_TREE where RESOURCE_ID=" + decimal(id) + " AND sts='V'";
  Recordset rs;
  if (!db::Queries(session_).GetValue(sql, rs)) return -1;
  return rs.value("PROJECT_TYPE").toInt32();
}

std::int32_t TreeLookups::GetProjectIdByNodeId(std::int32_t NODE_ID) {
  const std::string sql = "Select PROJECT_ID from T_PROJECT_TREE where NODE_ID=" + decimal(NODE_ID);
  Recordset rs;
  std::int32_t result = 0;
  if (!db::Queries(session_).GetValue(sql, rs)) return result;
  for (; !rs.atEnd(); rs.moveNext()) result = rs.value("PROJECT_ID").toInt32();
  rs.close();
  return result;
}

std::int16_t TreeLookups::GetJudgeWay(std::int16_t promodeId, const std::string& appraiseMode) {
  const std::string sql = "SELECT judge_way FROM t_promode_judge WHERE promode_id=" + decimal(promodeId) +
                          " AND appraise_mode=" + db::quoted(appraiseMode) + " AND sts='V'";
  Recordset rs;
  std::int16_t result = 0;
  if (!db::Queries(session_).GetValue(sql, rs)) return result;
  // Read as text and then as a number's leading part, so that a value kept
  // as text ("2 ") still counts as the number it starts with.
  if (!rs.atEnd()) result = roundToInt16(leadingNumber(rs.value("JUDGE_WAY").toText()));
  rs.close();
  return result;
}

}  // namespace quillon::tree
