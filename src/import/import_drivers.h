#pragma once
// The import drivers: a package file read whole, the next owner reserved,
// the table importers and the tree import run in their order.
#include <cstdint>
#include <string>

#include "core/session.h"
#include "import/tree_import.h"
#include "quillon/value.h"

namespace quillon::importing {

class ImportDrivers {
 public:
  ImportDrivers(Session& session, TreePlacement placement)
      : session_(session), placement_(std::move(placement)) {}

  // A tender-document package as a new project; a library package as new
  // templates. The result is the new owner number of the package's first
  // document, or Empty when the file is missing (after the message) or a
  // library package holds no template. Throws quillon::Error for a package
  // that cannot be read (malformed, carrying a DOCTYPE, without its Table or
  // tree element) before anything is written, and for any later failure,
  // when what was written before stays.
  Value InputBs(const std::string& InputName, bool FgOldBs);
  Value InputRESOURCE(const std::string& InputName, bool FgOldBs);
  // A tender-document package as the start of a bid: InputBs's table steps,
  // the bid tree import.
  Value InputTBs(const std::string& InputName, bool FgOldBs);

 private:
  enum class Tree { Plain, Bid };
  Value run(const std::string& InputName, bool FgOldBs, std::int16_t ori, Tree treeImport);

  Session& session_;
  TreePlacement placement_;
};

}  // namespace quillon::importing
