#pragma once
// Reading SQL text as far as an engine needs to: what kind of statement it
// is, where its column list ends, and how its parameters are marked.
#include <strings.h>

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::engine {

// Where the text's first word ends when, past leading blanks, it starts with
// `word` in any case; npos otherwise.
inline std::size_t afterLeadingWord(std::string_view sql, std::string_view word) {
  std::size_t i = 0;
  while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
  if (sql.size() - i < word.size() || strncasecmp(sql.data() + i, word.data(), word.size()) != 0)
    return std::string_view::npos;
  return i + word.size();
}

// Where ", rowid" can be added to a SELECT's own column list so that every
// column the caller asked for keeps its position: the offset of the
// statement's top-level FROM. npos when the text is not one plain SELECT over
// rows that a row locator can name one by one (DISTINCT, GROUP BY, a
// compound or a window would give other rows with it), or when it cannot
// be read with certainty.
std::size_t rowLocatorInsertPoint(std::string_view sql);

// The text with each `?` parameter mark outside quotes and comments written
// as `$1`, `$2`, ... in order, as a server takes them; `count` is set to how
// many there were.
std::string numberedParameters(std::string_view sql, int& count);

// The items of a SELECT's own column list, as written (blanks trimmed); empty
// when the text is not a SELECT or its list cannot be read with certainty.
std::vector<std::string_view> selectListItems(std::string_view sql);

// The name SQLite gives a result column for an item of a column list: its
// alias, else the column's own name for a column reference (quotes
// removed), else the item's text.
std::string itemName(std::string_view item);

}  // namespace quillon::engine
