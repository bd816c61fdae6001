#pragma once
// JSON texts for the command's machine-readable lines: always valid JSON,
// whatever bytes a legacy row holds.
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "quillon/document_summary.h"
#include "quillon/value.h"

namespace quillon::cli {

std::string jsonString(std::string_view text);
std::string jsonValue(const Value& v);  // NULL and Empty as null
// One line of JSON; bytes that are not UTF-8 become U+FFFD.
std::string jsonLine(const nlohmann::json& value);
nlohmann::json outlineJson(const OutlineNode& node);

}  // namespace quillon::cli
