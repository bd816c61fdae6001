#pragma once
// What every importer shares: finding a package's table elements, the copy
// of its records through an appending result set, and the numbering
// arithmetic that never wraps.
#include <pugixml.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/session.h"
#include "quillon/recordset.h"
#include "quillon/xml_document.h"

namespace quillon::importing {

// The table element `name` of the package, or a null node. Throws
// quillon::Error when the package has no Table element.
pugi::xml_node element(const XmlDocument& package, std::string_view name);
// The records of a table element; throws when the element is missing.
std::vector<pugi::xml_node> records(pugi::xml_node tableElement, std::string_view name);
bool hasRecords(pugi::xml_node tableElement);
// The number in `column` of the first record; throws when there is none.
std::int32_t firstNumber(const std::vector<pugi::xml_node>& list, std::string_view table,
                         std::string_view column);

// A package text read as an identifier: its leading number, rounded.
std::int32_t asIdentifier(const std::string& text);
// next + number - first; quillon::Error("Overflow") past 32 bits.
std::int32_t shifted(std::int32_t next, std::int32_t number, std::int32_t first);

// The value rule: `text` (null for an element the record lacks) stored in
// field `position` of the row being built, as a number for the numeric
// engine types (its leading decimal part) and as text otherwise (an empty or
// missing one as " ").
void storeByValueRule(Recordset& rs, int position, int type, const std::string* text);

// A package number that the copy keeps for the renumbering: read from the
// column's element when the record has one, else left as it was.
struct Capture {
  std::string_view column;
  std::int32_t* into;
};
using Renumber = std::function<void(Recordset& row, std::size_t index)>;

// Appends one row per record through a result set over "Select columns
// from table". A field the package gives is read as a number for the
// numeric columns and taken as text (an empty one as " ") for the others; a
// field it lacks is 0 or " ". Then `renumber` sets what the importer
// renumbers. Returns false, adding nothing, when the result set cannot be
// opened.
bool copyRecords(Session& session, std::string_view table, std::string_view columns,
                 const std::vector<pugi::xml_node>& list, const std::vector<Capture>& captures,
                 const Renumber& renumber);

// The numbers the copy captures from `column`, one per record: a record
// without the element keeps the number of the one before (0 before the
// first). Throws quillon::Error naming the record (from 1), the table and
// the column when one does not fit in 32 bits.
std::vector<std::int32_t> capturedNumbers(const std::vector<pugi::xml_node>& list, std::string_view table,
                                          std::string_view column);
// The numbers of several columns in one walk over each record's fields:
// per column, one entry per record, empty where the record lacks the
// element. Throws as capturedNumbers does.
std::vector<std::vector<std::optional<std::int32_t>>> fieldNumbers(
    const std::vector<pugi::xml_node>& list, std::string_view table,
    const std::vector<std::string_view>& columns);
// A column of fieldNumbers as the copy captures it (the number before where
// the element is missing), or as the value rule stores it (0).
std::vector<std::int32_t> carriedOver(const std::vector<std::optional<std::int32_t>>& numbers);
std::vector<std::int32_t> zeroWhereMissing(const std::vector<std::optional<std::int32_t>>& numbers);
// The node numbers a package's tree records carry, as the copy captures
// them: the links that the renumbering can keep inside the import.
std::unordered_set<std::int32_t> packageNodes(const std::vector<pugi::xml_node>& list,
                                              std::string_view table);

inline Value whole(std::int32_t n) { return Value(std::int64_t{n}); }

}  // namespace quillon::importing
