#pragma once
// Recognising what kind of statement a text is from its first word.
#include <strings.h>

#include <cctype>
#include <string_view>

namespace quillon::engine::sqlite {

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

}  // namespace quillon::engine::sqlite
