#pragma once
// The seven table exporters differ only in what these descriptors say: which
// table and columns each side reads, the ORDER BY tail, the message shown on
// failure, and the per-row rules of the scoring chain.
#include <string_view>

namespace quillon::exporting {

// Title of every message and question of the export.
inline constexpr std::string_view kExportTitle = "导出";

struct TableSide {
  std::string_view table;
  std::string_view columns;  // "A,B,C": the SELECT list and the field elements, in order
};

struct TableKind {
  TableSide project = {};                // ori = 1
  TableSide resource = {};               // any other ori
  std::string_view orderBy = {};         // appended after the filter; empty for none
  std::string_view failureMessage = {};  // first line of the failure message
  // Appended to the caller's filter variable itself on the library side.
  std::string_view resourceClause = {};
  // Rows whose STS is not exactly "V" are skipped: no record, no identifier.
  bool liveRowsOnly = false;
  // Identifiers of written rows, collected for the next table of a chain.
  // Empty: none. With idWhenColumn set, only rows where that column equals
  // idWhenValue count.
  std::string_view idColumn = {};
  std::string_view idWhenColumn = {};
  double idWhenValue = 0;
};

namespace kinds {
extern const TableKind kTree;
extern const TableKind kChecks;
extern const TableKind kOpenBid;
extern const TableKind kGradeItems;
extern const TableKind kGradeFactors;
extern const TableKind kAutoRules;
extern const TableKind kProject;
}  // namespace kinds

}  // namespace quillon::exporting
