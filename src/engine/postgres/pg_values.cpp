// Values to and from the server, and its failures as the house's errors.
#include <fmt/format.h>

#include <charconv>
#include <cstring>

#include "engine/failure.h"
#include "engine/postgres/pg_connection_impl.h"
#include "quillon/recordset.h"

namespace quillon::engine::postgres {
namespace {

// Server type numbers (pg_type.oid), fixed since the first releases.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kOid = 26,
              kFloat4 = 700, kFloat8 = 701, kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTime = 1083,
              kTimestamp = 1114, kTimestampTz = 1184, kNumeric = 1700;

Failure failureOf(std::string_view state) {
  if (state.size() != 5) return Failure::Other;
  const std::string_view kind = state.substr(0, 2);
  if (kind == "23") return Failure::Constraint;
  if (kind == "42" || kind == "22") return Failure::Syntax;
  if (state == "53100" || state == "54000") return Failure::Full;
  if (state == "55P03" || state == "40P01" || state == "40001" || state == "57014") return Failure::Busy;
  if (kind == "08" || kind == "58" || kind == "57") return Failure::IO;
  if (state == "25P02") return Failure::TransactionEnded;
  return Failure::Other;
}

}  // namespace

TextParams::TextParams(std::span<const Value> values) {
  texts_.reserve(values.size());
  pointers_.reserve(values.size());
  for (const Value& v : values) {
    switch (v.kind()) {
      case Value::Kind::Integer:
        texts_.push_back(std::to_string(v.integer()));
        break;
      case Value::Kind::Real:
        texts_.push_back(fmt::format("{}", v.real()));
        break;
      case Value::Kind::Text:
        if (v.text().find('\0') != std::string::npos)
          throw EngineError(Failure::Syntax, 0,
                            "a text holds a NUL character, which the server cannot store");
        texts_.push_back(v.text());
        break;
      default:
        texts_.emplace_back();
    }
  }
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto kind = values[i].kind();
    pointers_.push_back(kind == Value::Kind::Null || kind == Value::Kind::Empty ? nullptr
                                                                                : texts_[i].c_str());
  }
}

int typeCode(Oid type) {
  switch (type) {
    case kBool:
      return field_type::kBoolean;
    case kInt2:
      return field_type::kInteger16;
    case kInt4:
    case kOid:
      return field_type::kLong;
    case kInt8:
      return field_type::kBigInt;
    case kFloat4:
      return field_type::kSingle;
    case kFloat8:
    case kNumeric:
      return field_type::kDouble;
    case kDate:
    case kTime:
    case kTimestamp:
    case kTimestampTz:
      return field_type::kDate;
    case kBytea:
      return field_type::kBinary;
    case kText:
    case kBpchar:
    case kVarchar:
    default:
      return field_type::kText;
  }
}

Value fieldValue(const PGresult* result, int row, int column) {
  const auto& api = pq();
  if (api.getisnull(result, row, column)) return Value::null();
  const char* text = api.getvalue(result, row, column);
  const std::size_t size = static_cast<std::size_t>(api.getlength(result, row, column));
  switch (api.ftype(result, column)) {
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid: {
      std::int64_t n = 0;
      const auto [end, ec] = std::from_chars(text, text + size, n);
      if (ec == std::errc() && end == text + size) return Value(n);
      break;
    }
    case kFloat4:
    case kFloat8:
    case kNumeric: {
      double d = 0;
      const auto [end, ec] = std::from_chars(text, text + size, d);
      if (ec == std::errc() && end == text + size) return Value(d);
      break;
    }
    case kBool:
      return Value(std::int64_t{text[0] == 't' ? 1 : 0});
    default:
      break;
  }
  return Value(std::string(text, size));
}

void throwFailure(PGconn* conn, const PGresult* result) {
  const auto& api = pq();
  const char* state = result ? api.resultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const char* primary = result ? api.resultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  std::string text = primary ? primary : api.errorMessage(conn);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  if (text.empty()) text = "the server gave no reason";
  Failure failure = state ? failureOf(state) : Failure::IO;
  if (api.status(conn) != CONNECTION_OK) failure = Failure::IO;
  throw EngineError(failure, 0, text);
}

}  // namespace quillon::engine::postgres
