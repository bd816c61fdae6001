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
inline constexpr std::int32_t kTenderRoot = 9;
inline constexpr const char* kTenderRootName = "标书";

// The side's names and the tree columns an import writes there.
struct ImportSide : db::Side {
  std::string_view columns;
  explicit ImportSide(std::int16_t ori)
      : db::Side(db::sideOf(ori)),
        columns(project ? db::columns::kProjectTreeImport : db::columns::kResourceTree) {}
};

// A number a row (a result set's, or one being added) carries, 0 for NULL.
template <class Row>
std::int32_t numberIn(const Row& row, std::string_view column) {
  const Value& v = row.value(column);
  return v.isNull() || v.isEmpty() ? 0 : roundToInt32(v.toDouble());
}

}  // namespace quillon::importing
