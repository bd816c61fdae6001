#pragma once
// Deleting a node of a document tree together with every node below it,
// live or invalidated. Attached tables and files are left alone.
#include <cstdint>

#include "core/session.h"
#include "quillon/value.h"

namespace quillon::tree {

class SubtreeDelete {
 public:
  explicit SubtreeDelete(Session& session) : session_(session) {}

  // ori 1: T_PROJECT_TREE, any other value: T_RESOURCE_TREE. Deletes the
  // node's descendants, each before its parent, then the node. An unknown
  // node, or a node query that cannot be opened, changes nothing. Any other
  // database failure throws quillon::Error; rows deleted until then stay
  // deleted. Returns an empty Value.
  Value DeleteTreeNode(std::int32_t NODE_ID, std::int16_t ori);

 private:
  // Deletes every node below `parent`, never `parent` itself, deepest level
  // first. Returns an empty Value.
  Value deleteTreeChildNode(std::int32_t parent, std::int16_t ori);

  Session& session_;
};

}  // namespace quillon::tree
