#include "platform/number_text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace quillon::platform {
namespace {

bool digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::size_t numberPrefix(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && digit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && digit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t exponent = 0;
    while (j < s.size() && digit(s[j])) ++j, ++exponent;
    if (exponent > 0) i = j;
  }
  return i;
}

std::optional<std::int64_t> wholeNumber(std::string_view text) {
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (!isNumber(text)) return std::nullopt;
  const double v = std::strtod(std::string(text).c_str(), nullptr);
  // Beyond 2^53 a double no longer tells whole numbers apart.
  if (!(std::fabs(v) <= 9007199254740992.0) || v != std::trunc(v)) return std::nullopt;
  return static_cast<std::int64_t>(v);
}

}  // namespace quillon::platform
