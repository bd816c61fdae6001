#pragma once
// Reserving the next owner identifier of a side before a package is
// imported: a placeholder tree row carries it, so that the importers, which
// number from the tree table, see it as taken.
#include <cstdint>
#include <optional>
#include <string>

#include "core/session.h"

namespace quillon::tree {

class OwnerReservation {
 public:
  explicit OwnerReservation(Session& session) : session_(session) {}

  // Inserts a tree row (ori 1: T_PROJECT_TREE with PROJECT_ID, otherwise
  // T_RESOURCE_TREE with RESOURCE_ID) whose node number is the tree's next
  // and whose owner is the largest owner identifier over the side's tree,
  // checks, scoring items, bid-opening summary and project record, plus one.
  // Does nothing when that maximum cannot be queried. Throws quillon::Error
  // when the five tables hold no owner yet ("Invalid use of Null"), when no
  // node number can be taken, or when the next owner would pass 2147483647.
  void InserMaxNo(std::int16_t ori);

  // One above the largest owner identifier of the side over the same five
  // tables; 1 when none holds an owner. Throws quillon::Error when the
  // tables cannot be read or the number would pass 2147483647.
  std::int32_t nextOwnerId(std::int16_t ori);
  // The largest owner identifier over the same five tables; none when no
  // table holds one (which is when InserMaxNo cannot number a reservation).
  std::optional<std::int64_t> largestOwnerId(std::int16_t ori);

 private:
  Session& session_;
};

}  // namespace quillon::tree
