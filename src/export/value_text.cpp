#include "export/value_text.h"

#include <fmt/format.h>

#include <charconv>
#include <string>

#include "db/sql_text.h"
#include "package/package_document.h"

namespace quillon::exporting {

std::string_view ValueText::operator()(const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Null:
      return package::kNullMarker;
    case Value::Kind::Integer: {
      const auto end = std::to_chars(buffer_.data(), buffer_.data() + buffer_.size(), value.integer()).ptr;
      return {buffer_.data(), static_cast<std::size_t>(end - buffer_.data())};
    }
    case Value::Kind::Real: {
      // The same format as formatNumber; the longest double fits the buffer.
      const auto out = fmt::format_to_n(buffer_.data(), buffer_.size(), "{}", value.real());
      return {buffer_.data(), out.size};
    }
    case Value::Kind::Text:
      return value.text();
    case Value::Kind::Empty:
      break;
  }
  return {};
}

void appendIdentifier(std::string& list, const Value& value) {
  if (!list.empty()) list += ',';
  switch (value.kind()) {
    case Value::Kind::Integer:
    case Value::Kind::Real: {
      ValueText text;
      list += text(value);
      break;
    }
    case Value::Kind::Text:
      // Identifier columns hold numbers, but a package from elsewhere may
      // have put anything into them: never let it reach the SQL as code.
      list += db::quoted(value.text());
      break;
    default:
      // A row without an identifier selects nothing, and must not turn the
      // list into bad SQL that would drop the other rows' dependants too.
      list += "NULL";
      break;
  }
}

}  // namespace quillon::exporting
