#pragma once
// The one grammar of numbers written as text: an optional sign, digits with
// an optional fraction, an optional exponent with digits. Conversions,
// statements built from a caller's values and look-ups by a number given as
// text all read numbers by it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillon::platform {

// Length of the number at the start of `s`; 0 when there is none. An
// exponent without digits is not part of it.
std::size_t numberPrefix(std::string_view s);

// Whether the whole of `s` is one number.
inline bool isNumber(std::string_view s) {
  const std::size_t n = numberPrefix(s);
  return n > 0 && n == s.size();
}

// The whole number `text` names, blanks around it allowed ("7", " 7 ",
// "7.0", "7e0"); none for anything else, fractions included.
std::optional<std::int64_t> wholeNumber(std::string_view text);

}  // namespace quillon::platform
