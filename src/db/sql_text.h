#pragma once
// Putting a text value into SQL. Values are bound where the statement is
// ours; where a statement must be built as text, quotes are doubled.
#include <string>
#include <string_view>

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

}  // namespace quillon::db
