#include "json.h"

#include <fmt/format.h>

#include <cmath>

namespace quillon::cli {

std::string jsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20)
          out += fmt::format("\\u{:04x}", static_cast<unsigned char>(c));
        else
          out += c;
    }
  }
  out += '"';
  return out;
}

std::string jsonValue(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Integer:
      return std::to_string(v.integer());
    case Value::Kind::Real:
      return std::isfinite(v.real()) ? formatNumber(v.real()) : "null";
    case Value::Kind::Text:
      return jsonString(v.text());
    default:
      return "null";
  }
}

}  // namespace quillon::cli
