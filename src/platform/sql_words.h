#pragma once
// Recognising what kind of statement a text is from its first word.
#include <strings.h>

#include <cctype>
#include <string_view>

namespace quillon::platform {

// Where the text's first word ends when, past leading blanks, it starts with
// `word` in any case; npos otherwise.
inline std::size_t afterLeadingWord(std::string_view sql, std::string_view word) {
  std::size_t i = 0;
  while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
  if (sql.size() - i < word.size() || strncasecmp(sql.data() + i, word.data(), word.size()) != 0)
    return std::string_view::npos;
  return i + word.size();
}

}  // namespace quillon::platform
