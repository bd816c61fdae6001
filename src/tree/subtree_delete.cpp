// The subtree is collected level by level, asking for the children of many
// parents at once through the (PARENT_NOED_ID, LAYER_ID, NODE_ID) index, and
// then deleted from the deepest level up. Each node costs an index look-up
// and an index delete, so a subtree of n nodes costs O(n log N) whatever
// its shape; there is no recursion, so a chain 50,000 levels deep needs no
// more stack than a flat list. A node already collected is never collected
// again: a parent chain that loops back into the subtree ends the walk
// instead of running on, and only nodes below the starting node are
// reached.
#include "tree/subtree_delete.h"

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "db/queries.h"
#include "db/tables.h"
#include "quillon/recordset.h"

namespace quillon::tree {
namespace {

// Identifiers go to the engine in lists of one of these lengths, padded with
// repeats of the last one, so that a handful of statement texts serve every
// list: short lists for the narrow levels of a deep chain, long ones for wide
// levels.
constexpr std::size_t kListSizes[] = {1, 8, 64, 512};

std::string placeholders(std::size_t n) {
  std::string list;
  list.reserve(n * 2);
  for (std::size_t i = 0; i < n; ++i) list += i ? ",?" : "?";
  return list;
}

// Calls `run(sizeIndex, values)` for consecutive pieces of `ids`.
template <typename Run>
void inLists(std::span<const std::int32_t> ids, Run run) {
  std::vector<Value> values;
  for (std::size_t at = 0; at < ids.size();) {
    const std::size_t left = ids.size() - at;
    std::size_t size = 0;
    while (size + 1 < std::size(kListSizes) && kListSizes[size] < left) ++size;
    const std::size_t take = std::min(left, kListSizes[size]);
    values.assign(kListSizes[size], Value(static_cast<std::int64_t>(ids[at + take - 1])));
    for (std::size_t i = 0; i < take; ++i) values[i] = Value(static_cast<std::int64_t>(ids[at + i]));
    run(size, values);
    at += take;
  }
}

class Statements {
 public:
  explicit Statements(std::int16_t ori) {
    const std::string table(db::sideOf(ori).tree);
    for (const std::size_t n : kListSizes) {
      children_.push_back("SELECT NODE_ID FROM " + table + " WHERE PARENT_NOED_ID IN (" + placeholders(n) +
                          ")");
      deletes_.push_back("DELETE FROM " + table + " WHERE NODE_ID IN (" + placeholders(n) + ")");
    }
  }
  const std::string& children(std::size_t sizeIndex) const { return children_[sizeIndex]; }
  const std::string& deletes(std::size_t sizeIndex) const { return deletes_[sizeIndex]; }

 private:
  std::vector<std::string> children_;
  std::vector<std::string> deletes_;
};

}  // namespace

Value SubtreeDelete::DeleteTreeNode(std::int32_t NODE_ID, std::int16_t ori) {
  const std::string sql = std::string("Select * from ") + std::string(db::sideOf(ori).tree) +
                          " where NODE_ID=" + std::to_string(NODE_ID);
  Recordset rs;
  if (!db::Queries(session_).GetValue(sql, rs)) return {};
  if (!rs.atEnd()) {
    deleteTreeChildNode(rs.value("NODE_ID").toInt32(), ori);
    rs.deleteCurrent();
  }
  return {};
}

Value SubtreeDelete::deleteTreeChildNode(std::int32_t parent, std::int16_t ori) {
  engine::Database& db = session_.database();
  const Statements statements(ori);

  std::unordered_set<std::int32_t> seen{parent};
  std::vector<std::int32_t> levels;      // every node found, level after level
  std::vector<std::size_t> levelStarts;  // where each level begins in `levels`
  std::vector<std::int32_t> frontier{parent};
  while (!frontier.empty()) {
    levelStarts.push_back(levels.size());
    inLists(frontier, [&](std::size_t sizeIndex, std::span<const Value> values) {
      Recordset rs = db.openRecordset(statements.children(sizeIndex), values);
      for (; !rs.atEnd(); rs.moveNext()) {
        const std::int32_t child = rs.value(0).toInt32();
        if (seen.insert(child).second) levels.push_back(child);
      }
    });
    frontier.assign(levels.begin() + static_cast<std::ptrdiff_t>(levelStarts.back()), levels.end());
  }

  // Deepest level first: every node goes before its parent, so a failure
  // part-way leaves no node whose parent is gone.
  for (std::size_t level = levelStarts.size(); level-- > 0;) {
    const std::size_t end = level + 1 < levelStarts.size() ? levelStarts[level + 1] : levels.size();
    const std::span<const std::int32_t> ids(levels.data() + levelStarts[level], end - levelStarts[level]);
    inLists(ids, [&](std::size_t sizeIndex, std::span<const Value> values) {
      db.execute(statements.deletes(sizeIndex), values);
    });
  }
  return {};
}

}  // namespace quillon::tree
