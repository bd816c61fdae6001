#pragma once
// A variant value as the engine hands it out: NULL, a whole number, a double or
// text. Empty stands for a result that was never set (an "empty variant").
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "quillon/export.h"

namespace quillon {

class QUILLON_API Value {
 public:
  enum class Kind { Empty, Null, Integer, Real, Text };

  Value() = default;
  static Value null() {
    Value v;
    v.v_ = NullTag{};
    return v;
  }
  Value(int v) : v_(static_cast<std::int64_t>(v)) {}
  Value(std::int64_t v) : v_(v) {}
  Value(double v) : v_(v) {}
  Value(std::string v) : v_(std::move(v)) {}
  Value(std::string_view v) : v_(std::string(v)) {}
  Value(const char* v) : v_(std::string(v)) {}

  Kind kind() const { return static_cast<Kind>(v_.index()); }
  bool isEmpty() const { return kind() == Kind::Empty; }
  bool isNull() const { return kind() == Kind::Null; }
  bool isNumber() const { return kind() == Kind::Integer || kind() == Kind::Real; }

  /// Conversions follow the host language's rules: NULL cannot be converted
  /// ("Invalid use of Null"), text converts only when it is a number ("Type
  /// mismatch"), whole-number conversions round half to even and fail with
  /// "Overflow" outside the target's range. Each failure throws quillon::Error.
  std::string toText() const;
  double toDouble() const;
  std::int64_t toInt64() const;
  std::int32_t toInt32() const;
  std::int16_t toInt16() const;

  /// Raw access for callers that switch on kind(); another kind throws
  /// quillon::Error ("Type mismatch").
  std::int64_t integer() const { return held<std::int64_t>(); }
  double real() const { return held<double>(); }
  const std::string& text() const { return held<std::string>(); }

  friend bool operator==(const Value&, const Value&) = default;

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };
  template <typename T>
  const T& held() const {
    if (const T* p = std::get_if<T>(&v_)) return *p;
    throwTypeMismatch();
  }
  [[noreturn]] static void throwTypeMismatch();

  std::variant<std::monostate, NullTag, std::int64_t, double, std::string> v_;
};

/// Shortest decimal text that reads back as the same double ("3", "0.1").
QUILLON_API std::string formatNumber(double v);

/// The leading numeric part of a text (blanks skipped), 0 when it has none:
/// "12abc" is 12, " 3.5" is 3.5, "abc" is 0.
QUILLON_API double leadingNumber(std::string_view text);

/// Rounds half to even into a 32-bit integer; throws quillon::Error("Overflow").
QUILLON_API std::int32_t roundToInt32(double v);
QUILLON_API std::int16_t roundToInt16(double v);

}  // namespace quillon
