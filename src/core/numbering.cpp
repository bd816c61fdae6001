#include "core/numbering.h"

#include <fmt/format.h>

#include <limits>
#include <string>

#include "core/session.h"

namespace quillon::numbering {

namespace {

Value largestValue(Session& session, std::span<const ColumnRef> columns) {
  std::string sql;
  if (columns.size() == 1) {
    sql = fmt::format("select max({}) from {}", columns[0].column, columns[0].table);
  } else {
    for (const ColumnRef& c : columns)
      sql +=
          fmt::format("{}select max({}) as r from {}", sql.empty() ? "" : " union all ", c.column, c.table);
    sql = fmt::format("select max(r) from ({}) as held", sql);
  }
  Recordset rs = session.database().openRecordset(sql);
  return rs.atEnd() ? Value::null() : rs.value(0);
}

}  // namespace

std::optional<std::int64_t> largest(Session& session, std::span<const ColumnRef> columns) {
  const Value v = largestValue(session, columns);
  if (v.isNull()) return std::nullopt;
  return v.toInt64();
}

std::int32_t next(Session& session, ColumnRef column) {
  const Value v = largestValue(session, std::span<const ColumnRef>(&column, 1));
  if (v.isNull()) return 1;
  // A column of a fractional type counts from its largest value rounded.
  return roundToInt32(v.toDouble() + 1.0);
}

std::int32_t Sequence::next() {
  // At the top of the range the engine is asked again, so that the overflow
  // is reported as it would be.
  if (last_ > 0 && last_ < std::numeric_limits<std::int32_t>::max())
    ++last_;
  else
    last_ = ask_();
  return last_;
}

}  // namespace quillon::numbering
