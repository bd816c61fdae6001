#pragma once
#include <memory>
#include <span>
#include <string_view>

#include "quillon/recordset.h"
#include "quillon/value.h"

namespace quillon::engine {

class Database;

struct RecordsetImplFactory {
  static Recordset open(std::shared_ptr<Database> db, std::string_view sql, std::span<const Value> params);
  // The current row's values as read, for a reader that takes every column
  // of every row (an export): one check a row instead of one a value.
  // Throws as value() does when there is no current row or one is being
  // changed.
  static std::span<const Value> currentRow(const Recordset& rs);
};

}  // namespace quillon::engine
