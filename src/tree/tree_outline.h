#pragma once
// A document tree as an indented outline for people, drawn with the same
// box-drawing guides as tree(1).
#include <cstdint>
#include <string>
#include <vector>

#include "core/session.h"
#include "quillon/document_summary.h"

namespace quillon::tree {

// The outline of the tree of one owner: PROJECT_ID on the project side
// (ori = 1), RESOURCE_ID on the library side (any other ori). One line per
// node, "NAME (type T, node N)"; invalidated nodes are left out unless `all`,
// and then marked "[invalidated]". Children appear under their parent in
// NODE_ORDER, then NODE_ID order. Roots are the nodes whose parent is not a
// shown node of the same owner. Nodes that only a cyclic parent chain reaches
// are drawn from a node of the cycle, marked "[parent cycle]", so every shown
// node appears exactly once. Returns the empty text when the owner has no node
// to show. Throws quillon::Error when the database cannot be read.
std::string renderOutline(Session& session, int ori, std::int32_t ownerId, bool all);
// The nodes of that outline, in its order.
std::vector<OutlineNode> outlineNodes(Session& session, int ori, std::int32_t ownerId, bool all);

}  // namespace quillon::tree
