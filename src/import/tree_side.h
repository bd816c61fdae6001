#pragma once
// The names a tree import works with on either side, and how it reads a
// number back from the row it is building.
#include <cstdint>
#include <string_view>

#include "db/queries.h"
#include "db/tables.h"
#include "quillon/recordset.h"

namespace quillon::importing {

inline constexpr std::int32_t kDocumentNode = 2;
inline constexpr std::int32_t kPdfNode = 8;

struct TreeSide {
  bool project;
  std::string_view table;
  std::string_view owner;
  std::string_view projectType;
  std::string_view columns;

  explicit TreeSide(std::int16_t ori)
      : project(db::projectSide(ori)),
        table(project ? db::table::kProjectTree : db::table::kResourceTree),
        owner(project ? "PROJECT_ID" : "RESOURCE_ID"),
        projectType(project ? "PROJECT_TYPE_ID" : "PROJECT_TYPE"),
        columns(project ? db::columns::kProjectTreeImport : db::columns::kResourceTree) {}
};

inline std::int32_t numberIn(const Recordset& rs, std::string_view column) {
  const Value& v = rs.value(column);
  return v.isNull() || v.isEmpty() ? 0 : roundToInt32(v.toDouble());
}

}  // namespace quillon::importing
