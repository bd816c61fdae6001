#pragma once
// A package comes from a stranger. Before an import writes its placeholder
// or its first row, the audit runs the importers' numbering over the parsed
// package against the numbers this installation holds and refuses a package
// whose rows would join an owner, a node, an item or a factor that was here
// before, link to a row that was here before, or push a numbered column so
// far that later work would run out of numbers.
#include <cstdint>

#include "core/session.h"
#include "import/package_source.h"
#include "quillon/numbering.h"

namespace quillon::importing {

class PackageAudit {
 public:
  PackageAudit(Session& session, const Package& package) : session_(session), package_(package) {}

  // `ori` and `oldOwner` as the drivers pass them; `bidTree` when the tree
  // becomes the start of a bid (which adds six sections of its own). Throws
  // quillon::Error naming the table, the record (from 1) and the column when
  // the package is refused; reads only.
  void check(std::int16_t ori, std::int32_t oldOwner, bool bidTree);

 private:
  Session& session_;
  const Package& package_;
};

}  // namespace quillon::importing
