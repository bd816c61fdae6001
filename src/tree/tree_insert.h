#pragma once
// Inserting one node of a project's document tree from the host's array of
// twelve texts.
#include <string>

#include "core/session.h"
#include "quillon/text_array.h"

namespace quillon::tree {

class TreeInsert {
 public:
  explicit TreeInsert(Session& session) : session_(session) {}

  // Elements 1 to 12 of PROJECT_TREE fill NODE_ID, NODE_NAME, PROJECT_ID,
  // BUNDLE_ID, LAYER_ID, PARENT_NOED_ID, TYPE_ID, RESOURCE_TYPE_ID, STS,
  // PROJECT_TYPE_ID, Bookmarks_Name, NODE_ORDER. Any failure (a missing
  // element, a numeric element that is no number, a rejected statement) is
  // reported with DBF-00003 and gives false.
  bool T_PROJECT_TREE_Insert(const TextArray& PROJECT_TREE);

 private:
  Session& session_;
};

// The INSERT statement for the array. Text elements are quoted with their
// quotes doubled; numeric elements must be decimal numbers. Throws
// quillon::Error naming the first bad element.
std::string treeInsertStatement(const TextArray& PROJECT_TREE);

}  // namespace quillon::tree
