#pragma once
// Writes the rows of one table, chosen by a caller's filter, into a package
// document as one table element. Every table exporter is this one routine
// run with its descriptor.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/session.h"
#include "export/table_kinds.h"
#include "quillon/xml_document.h"

namespace quillon::exporting {

struct TableExport {
  // False only after a failure that was reported to the host under the
  // export title; a query that cannot be opened leaves it true.
  bool ok = true;
  // The descriptor's identifiers of the written rows, "," between them.
  std::string ids;
  // Values written with U+FFFD in place of what XML cannot carry.
  std::size_t valuesReplaced = 0;
};

// Appends the table element for `kind` on the side `ori` chooses (1 project,
// else library) to the root `Table` of `doc`, with one Record per row of
// "select <columns> from <table> where <filter><order by>". On the library
// side a descriptor's resourceClause is appended to `filter` itself.
TableExport exportTable(Session& session, XmlDocument& doc, const TableKind& kind, std::string& filter,
                        std::int16_t ori);

// A column list split at ",", kept as the element names of the fields.
class ColumnList {
 public:
  explicit ColumnList(std::string_view list);
  const std::vector<std::string>& names() const { return names_; }
  // Position of `name` (any case); throws quillon::Error when absent.
  int position(std::string_view name) const;

 private:
  std::vector<std::string> names_;
};

}  // namespace quillon::exporting
