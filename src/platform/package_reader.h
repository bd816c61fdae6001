#pragma once
// A package read as a stream of records: the whole file once to learn where
// its tables are, then any table again on its own. Nothing of the document
// stays in memory but the record being handed over.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xml.h"

namespace quillon::platform::xml {

struct Field {
  std::string_view name;
  std::string_view text;  // all the character data below the element
};

class RecordVisitor {
 public:
  virtual ~RecordVisitor() = default;
  // A table element; false passes over its records.
  virtual bool table(std::string_view name) = 0;
  // A child element named Record of a table taken, its children in order.
  virtual void record(std::span<const Field> fields) = 0;
};

// Where a table element stands in the file, for reading it again.
struct TableSpan {
  std::string name;
  std::uint64_t tagEnd = 0;  // the '>' or "/>" of its start tag
  std::uint64_t end = 0;     // just past its end tag
};

struct PackageOutline {
  PackageParse outcome = PackageParse::Ok;
  std::string detail;             // the parser's reason when not Ok
  bool tableRoot = true;          // the root element is named Table
  std::vector<TableSpan> tables;  // every table element, in file order
};

// The whole package. Exceptions of the visitor stop the reading and leave
// through here; a package that cannot be read is an outcome, not an
// exception (an unreadable file is quillon::Error kind IO).
PackageOutline readPackage(const std::filesystem::path& file, RecordVisitor& visitor);

// One table of a package read before, its records handed to `visitor`
// (whose table() is asked too). Throws quillon::Error when the file no
// longer reads as it did.
void readTable(const std::filesystem::path& file, const TableSpan& table, RecordVisitor& visitor);

}  // namespace quillon::platform::xml
