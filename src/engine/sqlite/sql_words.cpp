#include "engine/sqlite/sql_words.h"

#include <array>

namespace quillon::engine::sqlite {
namespace {

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }

bool sameWord(std::string_view word, std::string_view keyword) {
  return word.size() == keyword.size() && strncasecmp(word.data(), keyword.data(), word.size()) == 0;
}

// Where a quoted name, a string or a comment that starts at `i` ends;
// npos when it does not end.
std::size_t skipQuoted(std::string_view sql, std::size_t i) {
  const char open = sql[i];
  if (open == '-' || open == '/') {
    const bool line = open == '-';
    const std::size_t end = sql.find(line ? "\n" : "*/", i + 2);
    if (end == std::string_view::npos) return line ? sql.size() : std::string_view::npos;
    return end + (line ? 1 : 2);
  }
  const char close = open == '[' ? ']' : open;
  for (std::size_t j = i + 1; j < sql.size(); ++j) {
    if (sql[j] != close) continue;
    if (close != ']' && j + 1 < sql.size() && sql[j + 1] == close) {
      ++j;  // a doubled quote stands for itself
      continue;
    }
    return j + 1;
  }
  return std::string_view::npos;
}

}  // namespace

std::size_t rowLocatorInsertPoint(std::string_view sql) {
  std::size_t i = afterLeadingWord(sql, "select");
  if (i == std::string_view::npos || i == sql.size() || isWordChar(sql[i])) return std::string_view::npos;
  constexpr std::array<std::string_view, 7> kOtherRows = {"distinct", "group",  "union", "intersect",
                                                          "except",   "window", "values"};
  int depth = 0;
  std::size_t from = std::string_view::npos;
  while (i < sql.size()) {
    const char c = sql[i];
    const bool comment = (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') ||
                         (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*');
    if (c == '\'' || c == '"' || c == '`' || c == '[' || comment) {
      i = skipQuoted(sql, i);
      if (i == std::string_view::npos) return std::string_view::npos;
      continue;
    }
    if (c == '(') ++depth;
    if (c == ')' && --depth < 0) return std::string_view::npos;
    if (c == ';') return std::string_view::npos;
    if (!isWordChar(c)) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < sql.size() && isWordChar(sql[end])) ++end;
    const std::string_view word = sql.substr(i, end - i);
    if (depth == 0) {
      for (const auto keyword : kOtherRows) {
        if (sameWord(word, keyword)) return std::string_view::npos;
      }
      if (from == std::string_view::npos && sameWord(word, "from")) from = i;
    }
    i = end;
  }
  return depth == 0 ? from : std::string_view::npos;
}

}  // namespace quillon::engine::sqlite
