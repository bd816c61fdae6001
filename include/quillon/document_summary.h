#pragma once
// What an installation holds, one line per project or template, for people
// and scripts that want to see it before they act on it.
#include <cstdint>
#include <optional>
#include <string>

namespace quillon {

struct DocumentSummary {
  std::int32_t id = 0;            ///< PROJECT_ID or RESOURCE_ID
  std::string name;               ///< of the document node (type 2), else of the first node
  std::string projectType;        ///< TYPE_NAME of that node's project type; empty when unknown
  std::int64_t nodes = 0;         ///< live tree nodes (STS 'V')
  std::int64_t checks = 0;        ///< live compliance checks
  std::int64_t scoringItems = 0;  ///< live scoring items
  /// Templates only: the template's catalogue entry (type 9) in the library,
  /// which an import renames or invalidates when a name clashes.
  std::string entry;
  bool live = false;  ///< the document node is live (and so is the entry, when there is one)
};

/// One node of a document tree in outline order (depth first, children in
/// NODE_ORDER, then NODE_ID order).
struct OutlineNode {
  std::int64_t node = 0;
  std::optional<std::int64_t> parent;
  std::string name;
  std::optional<std::int64_t> type;
  int depth = 0;             ///< 0 for a top node
  bool live = false;         ///< STS 'V'
  bool parentCycle = false;  ///< drawn from here because its parent chain loops
};

}  // namespace quillon
