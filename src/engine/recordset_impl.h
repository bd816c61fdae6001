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
};

}  // namespace quillon::engine
