#include "engine/sql_words.h"

#include <array>
#include <cctype>
#include <string>
#include <utility>

namespace quillon::engine {
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

bool startsComment(std::string_view sql, std::size_t i) {
  return i + 1 < sql.size() && ((sql[i] == '-' && sql[i + 1] == '-') || (sql[i] == '/' && sql[i + 1] == '*'));
}

bool startsQuoted(std::string_view sql, std::size_t i) {
  const char c = sql[i];
  return c == '\'' || c == '"' || c == '`' || c == '[' || startsComment(sql, i);
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// A name as written, without its quotes ("a""b" is a"b).
std::string unquoted(std::string_view name) {
  if (name.size() < 2) return std::string(name);
  const char open = name.front();
  const char close = open == '[' ? ']' : open;
  if ((open != '"' && open != '`' && open != '[') || name.back() != close) return std::string(name);
  std::string out;
  for (std::size_t i = 1; i + 1 < name.size(); ++i) {
    out += name[i];
    if (close != ']' && name[i] == close && i + 2 < name.size() && name[i + 1] == close) ++i;
  }
  return out;
}

// The last word or quoted name of `text` and where it starts; empty when
// the text does not end with one.
std::pair<std::string_view, std::size_t> lastName(std::string_view text) {
  if (text.empty()) return {{}, 0};
  const char last = text.back();
  if (last == '"' || last == '`' || last == ']') {
    const char open = last == ']' ? '[' : last;
    for (std::size_t j = text.size() - 1; j-- > 0;) {
      if (text[j] != open) continue;
      if (open != '[' && j > 0 && text[j - 1] == open) {
        --j;  // a doubled quote inside the name
        continue;
      }
      return {text.substr(j), j};
    }
    return {{}, 0};
  }
  std::size_t j = text.size();
  while (j > 0 && isWordChar(text[j - 1])) --j;
  if (j == text.size() || std::isdigit(static_cast<unsigned char>(text[j]))) return {{}, 0};
  return {text.substr(j), j};
}

}  // namespace

std::string numberedParameters(std::string_view sql, int& count) {
  std::string out;
  out.reserve(sql.size() + 16);
  count = 0;
  for (std::size_t i = 0; i < sql.size();) {
    if (startsQuoted(sql, i)) {
      const std::size_t end = skipQuoted(sql, i);
      const std::size_t stop = end == std::string_view::npos ? sql.size() : end;
      out.append(sql.substr(i, stop - i));
      i = stop;
      continue;
    }
    if (sql[i] == '?') {
      out += '$';
      out += std::to_string(++count);
    } else {
      out += sql[i];
    }
    ++i;
  }
  return out;
}

std::vector<std::string_view> selectListItems(std::string_view sql) {
  std::size_t i = afterLeadingWord(sql, "select");
  if (i == std::string_view::npos || i == sql.size() || isWordChar(sql[i])) return {};
  std::vector<std::string_view> items;
  std::size_t start = i;
  int depth = 0;
  bool first = true;
  while (i < sql.size()) {
    if (startsQuoted(sql, i)) {
      i = skipQuoted(sql, i);
      if (i == std::string_view::npos) return {};
      continue;
    }
    const char c = sql[i];
    if (c == '(') ++depth;
    if (c == ')' && --depth < 0) return {};
    if (depth == 0 && c == ',') {
      items.push_back(trimmed(sql.substr(start, i - start)));
      start = ++i;
      first = false;
      continue;
    }
    if (!isWordChar(c)) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < sql.size() && isWordChar(sql[end])) ++end;
    const std::string_view word = sql.substr(i, end - i);
    if (depth == 0) {
      if (first && trimmed(sql.substr(start, i - start)).empty() &&
          (sameWord(word, "distinct") || sameWord(word, "all"))) {
        start = end;
      } else if (sameWord(word, "from") || sameWord(word, "where") || sameWord(word, "group") ||
                 sameWord(word, "order") || sameWord(word, "limit") || sameWord(word, "union") ||
                 sameWord(word, "except") || sameWord(word, "intersect") || sameWord(word, "having") ||
                 sameWord(word, "window")) {
        items.push_back(trimmed(sql.substr(start, i - start)));
        return items;
      }
    }
    i = end;
  }
  if (depth != 0) return {};
  items.push_back(trimmed(sql.substr(start)));
  return items;
}

std::string itemName(std::string_view item) {
  item = trimmed(item);
  const auto [name, at] = lastName(item);
  // CASE ... END ends with a word that is no alias.
  if (!name.empty() && at > 0 && !sameWord(name, "end")) {
    // "expr AS alias" or "expr alias": whatever stands before the name ends
    // a value (a word, a quote or a bracket) and is not a dot.
    std::string_view before = trimmed(item.substr(0, at));
    if (!before.empty() && before.back() != '.') {
      if (before.size() >= 2 && sameWord(before.substr(before.size() - 2), "as") &&
          (before.size() == 2 || !isWordChar(before[before.size() - 3])))
        return unquoted(name);
      const char b = before.back();
      if (isWordChar(b) || b == ')' || b == '\'' || b == '"' || b == ']' || b == '`') return unquoted(name);
    }
  }
  // A column reference, perhaps qualified: its last part.
  if (!name.empty()) {
    bool reference = true;
    for (std::size_t k = 0; k < at && reference; ++k)
      reference = isWordChar(item[k]) || item[k] == '.' || item[k] == '"' || item[k] == '`' ||
                  item[k] == '[' || item[k] == ']';
    if (reference && (at == 0 || item[at - 1] == '.')) return unquoted(name);
  }
  return std::string(item);
}

std::size_t rowLocatorInsertPoint(std::string_view sql) {
  std::size_t i = afterLeadingWord(sql, "select");
  if (i == std::string_view::npos || i == sql.size() || isWordChar(sql[i])) return std::string_view::npos;
  constexpr std::array<std::string_view, 7> kOtherRows = {"distinct", "group",  "union", "intersect",
                                                          "except",   "window", "values"};
  int depth = 0;
  std::size_t from = std::string_view::npos;
  while (i < sql.size()) {
    const char c = sql[i];
    if (startsQuoted(sql, i)) {
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

}  // namespace quillon::engine
