#include "db/bound_value.h"

#include <cmath>
#include <limits>

#include "quillon/error.h"

namespace quillon::copy {

Value asNumber(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Integer:
    case Value::Kind::Real:
      return v;
    case Value::Kind::Null:
      throw Error(ErrorKind::InvalidInput, "Invalid use of Null");
    case Value::Kind::Empty:
      // An empty variant writes nothing between two commas: no statement.
      throw Error(ErrorKind::InvalidInput, "Syntax error: a number is missing in the statement");
    case Value::Kind::Text: {
      const double d = v.toDouble();
      if (std::trunc(d) == d && std::fabs(d) < 9.0e15) return Value(static_cast<std::int64_t>(d));
      return Value(d);
    }
  }
  return v;
}

Value asText(const Value& v) { return Value(v.toText()); }

Value nullStandIn(int fieldType) {
  if (fieldType == field_type::kLong || fieldType == field_type::kDouble) return Value(0);
  return Value(" ");
}

std::int32_t plusOne(std::int32_t v) {
  if (v == std::numeric_limits<std::int32_t>::max()) throw Error(ErrorKind::InvalidInput, "Overflow");
  return v + 1;
}

}  // namespace quillon::copy
