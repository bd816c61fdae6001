#pragma once
// A template's document tree read in one scan and held for one copy, so
// that the copy's walk asks memory for each node's children instead of the
// database.
//
// The walk asks for the children of each node it copies whichever template
// they belong to. The rows of one template can answer only when no row
// outside it hangs under one of its nodes; load() checks that with one count
// and declines (returns nothing) when it cannot be sure, when a number
// column holds something other than a whole number, or when the template is
// too large to hold. The walk then asks the database as before.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/session.h"
#include "quillon/value.h"

namespace quillon::instantiate {

// Template columns, in the order the walk reads them. The last says
// whether the node has a live child on the next layer: the test that decides
// whether its children are copied.
enum TemplateColumn {
  kNodeId,
  kLayerId,
  kParent,
  kNodeName,
  kSts,
  kTypeId,
  kResourceTypeId,
  kResourceId,
  kBookmark,
  kNodeOrder,
  kProjectType,
  kHasLiveChild,
  kTemplateColumnCount
};
using TemplateRow = std::array<Value, kTemplateColumnCount>;

class TemplateRows {
 public:
  static std::optional<TemplateRows> load(Session& session, std::int32_t resource);

  // The template's top nodes (layer 2, node kind 2), in NODE_ID order.
  std::span<const std::int32_t> tops() const { return tops_; }
  // The children of a node on the next layer, live or not, in NODE_ID order.
  std::span<const std::int32_t> children(std::int32_t node) const;
  void read(std::int32_t node, TemplateRow& out) const;

 private:
  struct Shape {
    std::int32_t id = 0;
    std::int32_t parent = 0;
    std::int32_t layer = 0;
    std::uint32_t block = 0;  // where the row's other values are in `blocks_`
    std::uint32_t offset = 0;
    bool parentSet = false;  // PARENT_NOED_ID is not NULL
    bool layerSet = false;   // LAYER_ID is not NULL
    bool live = false;       // STS='V'
    // Whether the node can be found as a child at all.
    bool placed() const { return parentSet && layerSet; }
  };
  bool hasLiveChild(const Shape& shape) const;

  std::int32_t resource_ = 0;
  std::vector<Shape> shapes_;  // NODE_ID order
  std::vector<std::int32_t> tops_;
  std::vector<std::int32_t> byParent_;  // by parent, layer and NODE_ID
  // Every row's values, packed, in blocks that are filled and never moved:
  // holding a template costs its size, not twice it while a buffer grows.
  std::vector<std::string> blocks_;
};

}  // namespace quillon::instantiate
