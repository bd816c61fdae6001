#pragma once
// Putting a text value into SQL. Values are bound where the statement is
// ours; where a statement must be built as text, quotes are doubled.
#include <string>
#include <string_view>
#include <vector>

namespace quillon::db {

// 'value' with every ' doubled.
inline std::string quoted(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 2);
  out += '\'';
  for (const char c : value) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  return out;
}

// "Insert into TABLE(COLUMNS) VALUES (?,...)" with one mark a column.
inline std::string insertStatement(std::string_view table, std::string_view columns) {
  std::string sql = "Insert into ";
  sql += table;
  sql += '(';
  sql += columns;
  sql += ") VALUES (?";
  for (const char c : columns)
    if (c == ',') sql += ",?";
  sql += ')';
  return sql;
}

// The names of a comma-separated column list, in order.
inline std::vector<std::string> columnNames(std::string_view list) {
  std::vector<std::string> names;
  for (std::size_t comma; (comma = list.find(',')) != std::string_view::npos; list.remove_prefix(comma + 1))
    names.emplace_back(list.substr(0, comma));
  names.emplace_back(list);
  return names;
}

}  // namespace quillon::db
