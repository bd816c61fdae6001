#include "tree/owner_reservation.h"

#include <limits>

#include "db/queries.h"
#include "db/tables.h"
#include "quillon/error.h"
#include "quillon/recordset.h"

namespace quillon::tree {

std::string largestOwnerQuery(std::int16_t ori) {
  // Scoring factors and automatic rules carry no owner of their own, so the
  // five tables that do are enough.
  if (db::projectSide(ori))
    return std::string(" select max(r) from (Select Max(PROJECT_ID) as r from T_PROJECT_TREE ") +
           " union All Select Max(PROJECT_ID) as r from T_ACCORDED_CHECK" +
           " union All Select Max(PROJECT_ID) as r from T_GRADE_INGREDIENT" +
           " union All Select Max(PROJECT_ID) as r from TJ_OPEN_BID_DETAILS" +
           " union All Select Max(PROJECT_ID)as r from TJ_PROCUREMENT_PROJECT)";
  return std::string(" select max(r) from (Select Max(RESOURCE_ID) as r from T_RESOURCE_TREE ") +
         " union All Select Max(RESOURCE_ID) as r from T_ACCORDED_CHECK_INFO" +
         " union All Select Max(RESOURCE_ID) as r from T_GRADE_INGREDIENT_INFO" +
         " union All Select Max(RESOURCE_ID) as r from TJ_OPEN_BID_DETAILS_INFO" +
         " union All Select Max(RESOURCE_ID)as r from TJ_PROCUREMENT_PROJECT_INFO)";
}

std::optional<std::int64_t> OwnerReservation::largestOwnerId(std::int16_t ori) {
  Recordset rs = session_.database().openRecordset(largestOwnerQuery(ori));
  const Value& largest = rs.value(0);
  if (largest.isNull()) return std::nullopt;
  return largest.toInt64();
}

std::int32_t OwnerReservation::nextOwnerId(std::int16_t ori) {
  const std::optional<std::int64_t> largest = largestOwnerId(ori);
  if (!largest) return 1;
  const std::int64_t next = *largest + 1;
  if (next > std::numeric_limits<std::int32_t>::max()) throw Error(ErrorKind::Refused, "Overflow");
  return static_cast<std::int32_t>(next);
}

void OwnerReservation::InserMaxNo(std::int16_t ori) {
  const bool project = db::projectSide(ori);
  db::Queries queries(session_);
  Recordset rs;
  if (!queries.GetValue(largestOwnerQuery(ori), rs)) return;

  const std::int32_t node =
      queries.GetMaxNo(std::string(project ? db::table::kProjectTree : db::table::kResourceTree), "NODE_ID");
  // GetMaxNo has shown its report already; a placeholder numbered -1 would
  // only collide with the next import's.
  if (node < 0) throw Error(ErrorKind::Refused, "no node number could be taken for the placeholder row");

  // NULL when no table of the side holds an owner yet: there is nothing to
  // add one to, and the conversion says so.
  const std::int64_t next = rs.value(0).toInt64() + 1;
  if (next > std::numeric_limits<std::int32_t>::max()) throw Error(ErrorKind::Refused, "Overflow");
  rs.close();

  const std::string sql = std::string(project ? "Insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID) values("
                                              : "Insert into T_RESOURCE_TREE(NODE_ID,RESOURCE_ID) values(") +
                          std::to_string(node) + "," + std::to_string(next) + ")";
  queries.ExecuteSql(sql);
}

}  // namespace quillon::tree
