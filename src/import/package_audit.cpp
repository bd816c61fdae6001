#include "import/package_audit.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/numbering.h"
#include "db/queries.h"
#include "db/tables.h"
#include "import/package_source.h"
#include "import/tree_side.h"
#include "quillon/error.h"
#include "quillon/recordset.h"
#include "tree/owner_reservation.h"

namespace quillon::importing {
namespace {

namespace table = db::table;

[[noreturn]] void refuse(std::string_view tableName, std::size_t index, std::string_view column,
                         const std::string& why) {
  throw Error(ErrorKind::InvalidPackage,
              fmt::format("the package was refused: record {} of {}, column {}: {}", index + 1, tableName,
                          column, why));
}

// The package's numbers in `column`, a value that is no number refusing it.
const RecordNumbers& fieldOf(const Package& package, std::string_view tableName, std::string_view column) {
  try {
    return package.numbers(tableName, column);
  } catch (const Error& e) {
    if (!package.has(tableName)) throw;
    throw Error(ErrorKind::InvalidPackage, fmt::format("the package was refused: {}", e.what()));
  }
}

std::vector<std::int32_t> captured(const Package& package, std::string_view tableName,
                                   std::string_view column) {
  return carriedOver(fieldOf(package, tableName, column));
}

std::int64_t largest(Session& session, std::string_view tableName, std::string_view column) {
  return numbering::largest(session, {tableName, column}).value_or(0);
}

// One column the importers renumber as next + number - first. Numbers up to
// `held` belong to rows that were here before the import (or to its own
// placeholder, where a second row would clash).
struct Renumbering {
  std::string_view table;
  std::string_view column;
  std::int64_t held;
  std::int64_t next;
  std::int64_t first;
};

struct Reach {
  std::int64_t largest = std::numeric_limits<std::int64_t>::min();
  std::size_t index = 0;  // the record that holds it
  std::string_view table;
};

void take(Reach& reach, const Renumbering& r, const std::vector<std::int32_t>& numbers, bool unique) {
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const std::int64_t n = r.next + numbers[i] - r.first;
    if (n <= r.held)
      refuse(r.table, i, r.column,
             fmt::format("{} lies below the package's first number {} and would become {}, which this "
                         "installation holds already",
                         numbers[i], r.first, n));
    if (n > reach.largest) reach = {n, i, r.table};
  }
  if (!unique) return;
  // Sorted, a number given twice stands next to itself; the message names
  // the second record that gives it.
  std::vector<std::int32_t> sorted(numbers);
  std::sort(sorted.begin(), sorted.end());
  const auto twice = std::adjacent_find(sorted.begin(), sorted.end());
  if (twice == sorted.end()) return;
  const auto first = std::find(numbers.begin(), numbers.end(), *twice);
  const auto second = std::find(first + 1, numbers.end(), *twice);
  refuse(r.table, static_cast<std::size_t>(second - numbers.begin()), r.column,
         fmt::format("{} is given to two records", *twice));
}

// An import may move a column's largest number by its records plus the
// slack, and must leave the slack free below 2147483647.
void bound(const Reach& reach, std::string_view column, std::int64_t before, std::int64_t records) {
  if (reach.table.empty()) return;
  if (reach.largest - before > records + kNumberingSlack)
    refuse(reach.table, reach.index, column,
           fmt::format("the number would jump from {} to {}; an import may move it by at most its {} "
                       "record(s) + {}",
                       before, reach.largest, records, kNumberingSlack));
  if (reach.largest > kLargestFreeNumber)
    refuse(reach.table, reach.index, column,
           fmt::format("the number would become {}, leaving fewer than {} numbers free", reach.largest,
                       kNumberingSlack));
}

// A column numbered by one shift from its element's first number (the
// installation's largest is `before`), after
// `taken` numbers the import has used first (the placeholder's node): each
// new number above the installation's and given once, the largest (with
// `added` rows of the import's own after it) within the slack. Returns the
// package's numbers.
void oneShift(const std::vector<std::int32_t>& numbers, std::string_view tableName, std::string_view column,
              std::int64_t before, std::int64_t taken = 0, std::int64_t added = 0) {
  Reach reach;
  take(reach, {tableName, column, before + taken, before + taken + 1, numbers.empty() ? 0 : numbers.front()},
       numbers, true);
  reach.largest += added;
  bound(reach, column, before, static_cast<std::int64_t>(numbers.size()));
}

std::vector<std::int32_t> oneShift(const Package& package, std::string_view tableName,
                                   std::string_view column, std::int64_t before) {
  auto numbers = captured(package, tableName, column);
  oneShift(numbers, tableName, column, before);
  return numbers;
}

// Rows numbered one by one after the largest (checks, rules): only the room
// that is left can fail them.
void roomFor(Session& session, std::string_view tableName, std::string_view column, std::size_t records) {
  if (records == 0) return;
  const std::int64_t last = largest(session, tableName, column) + static_cast<std::int64_t>(records);
  if (last > kLargestFreeNumber)
    refuse(
        tableName, records - 1, column,
        fmt::format("the number would become {}, leaving fewer than {} numbers free", last, kNumberingSlack));
}

void mustLinkInside(const std::vector<std::int32_t>& refs, const std::unordered_set<std::int32_t>& targets,
                    std::string_view tableName, std::string_view column, std::string_view what) {
  for (std::size_t i = 0; i < refs.size(); ++i)
    if (!targets.count(refs[i]))
      refuse(tableName, i, column,
             fmt::format("{} {} is not one the package brings, so the row would hang on this "
                         "installation's own",
                         what, refs[i]));
}

// The library's root and categories, which the library nodes of a package
// name as their parents by number.
std::unordered_set<std::int32_t> librarySkeleton(Session& session) {
  std::unordered_set<std::int32_t> nodes;
  Recordset rs = session.database().openRecordset(
      "select NODE_ID from T_RESOURCE_TREE where RESOURCE_ID <= 20 and TYPE_ID in (1, 10, 11, 12)");
  for (; !rs.atEnd(); rs.moveNext()) nodes.insert(static_cast<std::int32_t>(rs.value(0).toInt64()));
  return nodes;
}

bool held(Session& session, std::string_view tableName, std::int32_t node) {
  Recordset rs =
      session.database().openRecordset(fmt::format("select count(*) from {} where NODE_ID=?", tableName),
                                       std::array<Value, 1>{Value(std::int64_t{node})});
  return rs.value(0).toInt64() > 0;
}

bool keepsItsParent(std::int32_t type) { return type == kDocumentNode || (type >= 9 && type <= 12); }

}  // namespace

void PackageAudit::check(std::int16_t ori, std::int32_t oldOwner, bool bidTree) {
  const ImportSide side(ori);
  const bool project = side.project;
  const std::string_view items = project ? table::kGradeItem : table::kGradeItemInfo;
  const std::string_view factors = project ? table::kGradeFactor : table::kGradeFactorInfo;
  const std::string_view rules = project ? table::kAutoRule : table::kAutoRuleInfo;

  const std::optional<std::int64_t> ownerBefore = tree::OwnerReservation(session_).largestOwnerId(ori);
  if (!ownerBefore) return;  // the reservation refuses to number from nothing

  // Owners: the placeholder takes the next one, every row moves onto the
  // one after it plus its distance from the package's first owner.
  Reach ownerReach{*ownerBefore + 1, 0, {}};
  std::int64_t ownerRecords = 0;
  const auto ownedBy = [&](std::string_view name, const std::vector<std::int32_t>& owners) {
    take(ownerReach, {name, side.owner, *ownerBefore, *ownerBefore + 2, oldOwner}, owners, false);
    ownerRecords += static_cast<std::int64_t>(owners.size());
  };
  const auto owned = [&](std::string_view name) { ownedBy(name, captured(package_, name, side.owner)); };
  const std::size_t treeRecords = package_.records(side.tree);
  (void)package_.records(items);  // refused here when the package has no items element
  ownedBy(side.tree, captured(package_, side.tree, side.owner));
  owned(items);
  for (const std::string_view name :
       {project ? table::kProject : table::kProjectInfo, project ? table::kCheck : table::kCheckInfo,
        project ? table::kOpenBid : table::kOpenBidInfo}) {
    owned(name);
    if (name == (project ? table::kCheck : table::kCheckInfo))
      roomFor(session_, name, "CHECK_ID", package_.records(name));
  }
  bound(ownerReach, side.owner, *ownerBefore, ownerRecords);

  // Nodes: after the placeholder's, in the package's order; a bid adds its
  // six sections after them.
  const std::int64_t nodeBefore = largest(session_, side.tree, "NODE_ID");
  oneShift(captured(package_, side.tree, "NODE_ID"), side.tree, "NODE_ID", nodeBefore, 1, bidTree ? 6 : 0);
  if (ori == 2) {
    const auto skeleton = librarySkeleton(session_);
    const auto parents = captured(package_, side.tree, "PARENT_NOED_ID");
    const auto types = zeroWhereMissing(fieldOf(package_, side.tree, "TYPE_ID"));
    std::unordered_set<std::int32_t> unheld;  // numbers no row holds, asked once each
    for (std::size_t i = 0; i < treeRecords; ++i) {
      const std::int32_t parent = parents[i];
      if (!keepsItsParent(types[i]) || parent == 0 || skeleton.count(parent) || unheld.count(parent))
        continue;
      if (parent > nodeBefore + 1 || !held(session_, side.tree, parent)) {
        unheld.insert(parent);
        continue;
      }
      refuse(side.tree, i, "PARENT_NOED_ID",
             fmt::format("a library node keeps its parent {}, a node of this library that is not its root "
                         "or one of its categories",
                         parent));
    }
  }

  // Scoring items, their factors and the factors' rules: each renumbered by
  // one shift, each link inside the package.
  const auto itemNumbers =
      oneShift(package_, items, "GRADE_ITEM_ID", largest(session_, items, "GRADE_ITEM_ID"));

  const bool factorsCome = package_.hasRecords(project ? factors : items);
  std::unordered_set<std::int32_t> factorNumbers;
  if (factorsCome) {
    if (package_.records(items) == 0)
      throw Error(ErrorKind::InvalidPackage, fmt::format("the package's {} element has no record", items));
    mustLinkInside(captured(package_, factors, "GRADE_ITEM_ID"), {itemNumbers.begin(), itemNumbers.end()},
                   factors, "GRADE_ITEM_ID", "scoring item");
    const auto numbers =
        oneShift(package_, factors, "INGREDIENT_ID", largest(session_, factors, "INGREDIENT_ID"));
    factorNumbers.insert(numbers.begin(), numbers.end());
  }
  if (package_.has(rules) && package_.hasRecords(factors)) {
    mustLinkInside(captured(package_, rules, "INGREDIENT_ID"), factorNumbers, rules, "INGREDIENT_ID",
                   "scoring factor");
    roomFor(session_, rules, "AUTO_GRADE_ID", package_.records(rules));
  }
}

}  // namespace quillon::importing
