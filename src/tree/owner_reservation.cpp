#include "tree/owner_reservation.h"

#include <fmt/format.h>

#include <limits>

#include "core/numbering.h"
#include "db/queries.h"
#include "db/tables.h"
#include "quillon/error.h"
#include "quillon/recordset.h"

namespace quillon::tree {

std::optional<std::int64_t> OwnerReservation::largestOwnerId(std::int16_t ori) {
  // Scoring factors and automatic rules carry no owner of their own, so the
  // five tables that do are enough.
  const db::Side& side = db::sideOf(ori);
  const numbering::ColumnRef owners[] = {{side.tree, side.owner},
                                         {side.checks, side.owner},
                                         {side.items, side.owner},
                                         {side.openBid, side.owner},
                                         {side.record, side.owner}};
  return numbering::largest(session_, owners);
}

std::int32_t OwnerReservation::nextOwnerId(std::int16_t ori) {
  const std::optional<std::int64_t> largest = largestOwnerId(ori);
  if (!largest) return 1;
  const std::int64_t next = *largest + 1;
  if (next > std::numeric_limits<std::int32_t>::max()) throw Error(ErrorKind::Refused, "Overflow");
  return static_cast<std::int32_t>(next);
}

void OwnerReservation::InserMaxNo(std::int16_t ori) {
  const db::Side& side = db::sideOf(ori);
  db::Queries queries(session_);
  std::optional<std::int64_t> largest;
  try {
    largest = largestOwnerId(ori);
  } catch (const std::exception& e) {
    session_.silentFailure(e);
    return;
  }

  const std::int32_t node = queries.GetMaxNo(std::string(side.tree), "NODE_ID");
  // GetMaxNo has shown its report already; a placeholder numbered -1 would
  // only collide with the next import's.
  if (node < 0) throw Error(ErrorKind::Refused, "no node number could be taken for the placeholder row");

  // No table of the side holds an owner yet: there is nothing to add one
  // to, and the conversion of the empty maximum says so.
  const std::int64_t next = (largest ? Value(*largest) : Value::null()).toInt64() + 1;
  if (next > std::numeric_limits<std::int32_t>::max()) throw Error(ErrorKind::Refused, "Overflow");

  queries.ExecuteSql(
      fmt::format("Insert into {}(NODE_ID,{}) values({},{})", side.tree, side.owner, node, next));
}

}  // namespace quillon::tree
