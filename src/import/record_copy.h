#pragma once
// What every importer shares: the copy of a package table's records as new
// rows, each built by the value rule and then renumbered by the importer,
// written through one prepared statement per table.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/session.h"
#include "import/package_source.h"
#include "quillon/value.h"

namespace quillon::importing {

// The value rule: `text` (null for an element the record lacks) as stored
// in a column of engine type `type`: a number for the numeric types (its
// leading decimal part), text otherwise (an empty or missing one as " ").
Value byValueRule(int type, const std::string_view* text);

// A row on its way into its table, by column name (any case).
class NewRow {
 public:
  NewRow(const std::vector<std::string>& names, std::vector<Value>& values)
      : names_(names), values_(values) {}
  const Value& value(std::string_view column) const { return values_[position(column)]; }
  void setValue(std::string_view column, Value value) { values_[position(column)] = std::move(value); }

 private:
  std::size_t position(std::string_view column) const;
  const std::vector<std::string>& names_;
  std::vector<Value>& values_;
};

// A package number that the copy keeps for the renumbering: read from the
// column's element when the record has one, else left as it was.
struct Capture {
  std::string_view column;
  std::int32_t* into;
};
using Renumber = std::function<void(NewRow& row, std::size_t index)>;

// Appends one row per record of the package's `table` into the listed
// columns: each by the value rule, then `renumber` sets what the importer
// renumbers. Returns false, adding nothing, when the table's columns cannot
// be read; throws when the package lacks the table or a row cannot be
// added, the rows before it staying.
bool copyRecords(Session& session, const Package& package, std::string_view table, std::string_view columns,
                 const std::vector<Capture>& captures, const Renumber& renumber);

inline Value whole(std::int32_t n) { return Value(std::int64_t{n}); }

}  // namespace quillon::importing
