#include "tree/owner_reservation.h"

#include <limits>

#include "core/numbering.h"
#include "db/queries.h"
#include "db/tables.h"
#include "quillon/error.h"
#include "quillon/recordset.h"

namespace quillon::tree {

namespace {

// Scoring factors and automatic rules carry no owner of their own, so the
// five tables that do are enough.
constexpr numbering::ColumnRef kProjectOwners[] = {
    {db::table::kProjectTree, "PROJECT_ID"}, {db::table::kCheck, "PROJECT_ID"},
    {db::table::kGradeItem, "PROJECT_ID"},   {db::table::kOpenBid, "PROJECT_ID"},
    {db::table::kProject, "PROJECT_ID"},
};
constexpr numbering::ColumnRef kLibraryOwners[] = {
    {db::table::kResourceTree, "RESOURCE_ID"},  {db::table::kCheckInfo, "RESOURCE_ID"},
    {db::table::kGradeItemInfo, "RESOURCE_ID"}, {db::table::kOpenBidInfo, "RESOURCE_ID"},
    {db::table::kProjectInfo, "RESOURCE_ID"},
};

}  // namespace

std::optional<std::int64_t> OwnerReservation::largestOwnerId(std::int16_t ori) {
  if (db::projectSide(ori)) return numbering::largest(session_, kProjectOwners);
  return numbering::largest(session_, kLibraryOwners);
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
  std::optional<std::int64_t> largest;
  try {
    largest = largestOwnerId(ori);
  } catch (const std::exception& e) {
    session_.silentFailure(e);
    return;
  }

  const std::int32_t node =
      queries.GetMaxNo(std::string(project ? db::table::kProjectTree : db::table::kResourceTree), "NODE_ID");
  // GetMaxNo has shown its report already; a placeholder numbered -1 would
  // only collide with the next import's.
  if (node < 0) throw Error(ErrorKind::Refused, "no node number could be taken for the placeholder row");

  // No table of the side holds an owner yet: there is nothing to add one
  // to, and the conversion of the empty maximum says so.
  const std::int64_t next = (largest ? Value(*largest) : Value::null()).toInt64() + 1;
  if (next > std::numeric_limits<std::int32_t>::max()) throw Error(ErrorKind::Refused, "Overflow");

  const std::string sql = std::string(project ? "Insert into T_PROJECT_TREE(NODE_ID,PROJECT_ID) values("
                                              : "Insert into T_RESOURCE_TREE(NODE_ID,RESOURCE_ID) values(") +
                          std::to_string(node) + "," + std::to_string(next) + ")";
  queries.ExecuteSql(sql);
}

}  // namespace quillon::tree
