#include "json.h"

#include <nlohmann/json.hpp>

namespace quillon::cli {

std::string jsonString(std::string_view text) {
  // Legacy rows may hold any bytes: invalid UTF-8 becomes U+FFFD rather
  // than a line that no JSON parser takes.
  return nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string jsonValue(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Integer:
      return std::to_string(v.integer());
    case Value::Kind::Real:
      return nlohmann::json(v.real()).dump();  // not finite: null
    case Value::Kind::Text:
      return jsonString(v.text());
    default:
      return "null";
  }
}

std::string jsonLine(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

nlohmann::json outlineJson(const OutlineNode& n) {
  const auto number = [](const std::optional<std::int64_t>& v) { return v ? nlohmann::json(*v) : nullptr; };
  return {{"node", n.node},
          {"parent", number(n.parent)},
          {"name", n.name},
          {"type", number(n.type)},
          {"depth", n.depth},
          {"live", n.live},
          {"parentCycle", n.parentCycle}};
}

}  // namespace quillon::cli
