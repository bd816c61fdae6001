#pragma once
// The package document: the one XML layout in which tender documents, bid
// documents and library templates travel between installations.
//
//   <Table>                      the root, exactly one
//     <T_PROJECT_TREE>\r         one element per exported table, named after
//       <Record>                 it, text one carriage return; one Record per
//         <NODE_ID>7</NODE_ID>   row, one field element per column of the
//         ...                    table's column list, in list order; NULL is
//       </Record>                written as one space
//     </T_PROJECT_TREE>
//   </Table>
//
// No attributes, namespaces or schema: the element names alone say which
// tables a package holds and from which side they come.
#include <pugixml.hpp>

#include <string_view>

#include "quillon/xml_document.h"

namespace quillon::package {

inline constexpr std::string_view kRoot = "Table";
inline constexpr std::string_view kRecord = "Record";
// The text of a table element, ahead of its records.
inline constexpr std::string_view kTableText = "\r";
// A NULL column value. A stored single space reads back the same way.
inline constexpr std::string_view kNullMarker = " ";
// The text an empty package starts from.
inline constexpr std::string_view kEmptyPackage = "<Table>\r\n</Table>";

// A new package document: the root `Table` with no children. Throws
// quillon::Error when the XML library cannot build it.
XmlDocument loadNewXMl();

// Appends to `parent` a new last child element `name` whose whole content is
// `text`, and returns it. Builds the three inner levels: a table element
// (on the root, text kTableText), a record (on a table element, empty text)
// and a field (on a record, the value text). Throws quillon::Error for a
// null parent or a name that is no XML name. A text that XML cannot carry as
// it stands is written with U+FFFD in place of each offending byte or
// character, and counted in `replaced` when given.
pugi::xml_node createNode(pugi::xml_node parent, std::string_view name, std::string_view text,
                          std::size_t* replaced = nullptr);

}  // namespace quillon::package
