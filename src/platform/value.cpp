#include "quillon/value.h"

#include <fmt/format.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/number_text.h"
#include "quillon/error.h"

namespace quillon {
namespace {

constexpr const char* kInvalidUseOfNull = "Invalid use of Null";
constexpr const char* kTypeMismatch = "Type mismatch";
constexpr const char* kOverflow = "Overflow";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

double strictNumber(const std::string& text) {
  const std::string_view s = trimBlanks(text);
  const std::size_t n = platform::numberPrefix(s);
  if (n == 0 || n != s.size()) throw Error(ErrorKind::InvalidInput, kTypeMismatch);
  return std::strtod(std::string(s).c_str(), nullptr);
}

}  // namespace

std::string formatNumber(double v) { return fmt::format("{}", v); }

double leadingNumber(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  const std::size_t n = platform::numberPrefix(text);
  if (n == 0) return 0.0;
  // Imports read a number from every numeric field: from_chars reads the
  // same correctly rounded value as strtod without a copy or the locale.
  std::string_view number = text.substr(0, n);
  if (number.front() == '+') number.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc() && end == number.data() + number.size()) return value;
  // Out of range: strtod's infinity or zero, as before.
  return std::strtod(std::string(text.substr(0, n)).c_str(), nullptr);
}

std::int32_t roundToInt32(double v) {
  const double r = std::nearbyint(v);  // default rounding mode: half to even
  if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max()))
    throw Error(ErrorKind::InvalidInput, kOverflow);
  return static_cast<std::int32_t>(r);
}

std::int16_t roundToInt16(double v) {
  const double r = std::nearbyint(v);
  if (!(r >= std::numeric_limits<std::int16_t>::min() && r <= std::numeric_limits<std::int16_t>::max()))
    throw Error(ErrorKind::InvalidInput, kOverflow);
  return static_cast<std::int16_t>(r);
}

void Value::throwTypeMismatch() { throw Error(ErrorKind::InvalidInput, kTypeMismatch); }

std::string Value::toText() const {
  switch (kind()) {
    case Kind::Empty:
      return {};
    case Kind::Null:
      throw Error(ErrorKind::InvalidInput, kInvalidUseOfNull);
    case Kind::Integer:
      return std::to_string(integer());
    case Kind::Real:
      return formatNumber(real());
    case Kind::Text:
      return text();
  }
  return {};
}

double Value::toDouble() const {
  switch (kind()) {
    case Kind::Empty:
      return 0.0;
    case Kind::Null:
      throw Error(ErrorKind::InvalidInput, kInvalidUseOfNull);
    case Kind::Integer:
      return static_cast<double>(integer());
    case Kind::Real:
      return real();
    case Kind::Text:
      return strictNumber(text());
  }
  return 0.0;
}

std::int64_t Value::toInt64() const {
  if (kind() == Kind::Integer) return integer();
  const double r = std::nearbyint(toDouble());
  if (!(r >= -9.2233720368547758e18 && r < 9.2233720368547758e18))
    throw Error(ErrorKind::InvalidInput, kOverflow);
  return static_cast<std::int64_t>(r);
}

std::int32_t Value::toInt32() const {
  if (kind() == Kind::Integer) {
    const std::int64_t v = integer();
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
      throw Error(ErrorKind::InvalidInput, kOverflow);
    return static_cast<std::int32_t>(v);
  }
  return roundToInt32(toDouble());
}

std::int16_t Value::toInt16() const {
  if (kind() == Kind::Integer) {
    const std::int64_t v = integer();
    if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
      throw Error(ErrorKind::InvalidInput, kOverflow);
    return static_cast<std::int16_t>(v);
  }
  return roundToInt16(toDouble());
}

}  // namespace quillon
