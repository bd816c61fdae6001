#pragma once
// A package to import, read as a stream. Opening it reads the file once,
// whole: a package that cannot be read is refused before anything is
// written, and what the renumbering and the audit need of it (which tables
// it has, how many records each, the numbers in the columns the importers
// renumber) is kept. The importers then take each table's records again, in
// their own order: from a compact copy of the values kept in the first pass
// while that copy stays within a quarter of the file's size, else by reading
// the table again, so the package never stands whole in memory.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/package_reader.h"

namespace quillon::importing {

// One column's numbers, one a record, and whether the record has the
// element: four bytes and a bit a record, as a package may hold millions.
struct RecordNumbers {
  std::vector<std::int32_t> values;  // 0 where the record lacks the element
  std::vector<bool> given;
  std::size_t size() const { return values.size(); }
  void add(std::optional<std::int32_t> n) {
    values.push_back(n.value_or(0));
    given.push_back(n.has_value());
  }
};

class Package {
 public:
  // Throws quillon::Error (InvalidPackage) for a package that is not
  // well-formed UTF-8 XML, declares a DOCTYPE or has no Table root; kind
  // Engine when memory runs out; NotFound or IO when the file cannot be read.
  explicit Package(std::filesystem::path file);

  const std::filesystem::path& file() const { return file_; }
  bool has(std::string_view table) const { return tables_.count(table) > 0; }
  // Throws "the package has no {table} element" when it has none.
  std::size_t records(std::string_view table) const;
  bool hasRecords(std::string_view table) const { return has(table) && records(table) > 0; }
  // One of the columns kept for `table`. Throws quillon::Error naming the
  // record, table and column of the first number past 32 bits.
  const RecordNumbers& numbers(std::string_view table, std::string_view column) const;
  // The first record's number (0 when it lacks the element); throws when
  // the table has no record.
  std::int32_t firstNumber(std::string_view table, std::string_view column) const;
  // The table's records in order; throws when the package lacks it.
  void read(std::string_view table, platform::xml::RecordVisitor& visitor) const;

  struct Column {
    std::string name;
    RecordNumbers numbers;
    std::string failure;  // the first number that does not fit, said in full
  };
  struct Table {
    platform::xml::TableSpan span;
    std::size_t records = 0;
    std::vector<Column> columns;
    // The records as read, when kept: per record the index of its layout
    // (the names of its fields in order, mostly the same for every record),
    // then per field its text's length (both varints) and the text. Held in
    // blocks that never move, so that keeping costs no more than its size.
    bool kept = true;
    std::vector<std::string> values;
    std::vector<std::string> names;
    std::vector<std::vector<std::uint8_t>> layouts;  // indexes into names
  };

 private:
  const Table& table(std::string_view name) const;

  std::filesystem::path file_;
  std::map<std::string, Table, std::less<>> tables_;
};

// next + number - first; quillon::Error("Overflow") past 32 bits.
std::int32_t shifted(std::int32_t next, std::int32_t number, std::int32_t first);
// A package text read as an identifier: its leading number, rounded.
std::int32_t asIdentifier(std::string_view text);
// A column of numbers as the copy captures it (the number before where the
// element is missing, 0 before the first), or as the value rule stores it.
std::vector<std::int32_t> carriedOver(const RecordNumbers& numbers);
std::vector<std::int32_t> zeroWhereMissing(const RecordNumbers& numbers);

}  // namespace quillon::importing
