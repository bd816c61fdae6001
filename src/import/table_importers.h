#pragma once
// The table importers: each appends the records of one table element of a
// package as new rows of its table, renumbering identifiers so that the new
// rows follow those already stored and still point at each other. Owners are
// shifted onto the number just reserved, scoring items and factors by one
// fixed amount per table, checks and rules take the next free number.
//
// Run them in the drivers' order (project, checks, bid lines, rules,
// factors, items): rules before factors before items, so that the importers
// sharing a map both take its next number before any row of it is added.
#include <cstdint>

#include "core/session.h"
#include "import/package_source.h"

namespace quillon::importing {

class TableImporters {
 public:
  TableImporters(Session& session, const Package& package) : session_(session), package_(package) {}

  // `ori` 1 is the project side, any other value the library side;
  // `oldOwner` is the owner of the package's first tree record. Each throws
  // quillon::Error when the package lacks the element it needs, when a value
  // cannot be stored or an identifier passes 32 bits; rows stored before stay.
  void inputProjectFromXml(std::int16_t ori, std::int32_t oldOwner);
  void inputAccFromXml(std::int16_t ori, std::int32_t oldOwner);
  void inputOpenBidFromXml(std::int16_t ori, std::int32_t oldOwner);
  void inputAutoGradeFromXml(std::int16_t ori, std::int32_t oldOwner);
  void inputGradeDETAILFromXml(std::int16_t ori, std::int32_t oldOwner);
  void inputGradeFromXml(std::int16_t ori, std::int32_t oldOwner);

  // All six in the drivers' order.
  void importAll(std::int16_t ori, std::int32_t oldOwner);

 private:
  Session& session_;
  const Package& package_;
};

}  // namespace quillon::importing
