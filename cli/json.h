#pragma once
// JSON texts for the command's machine-readable lines: always valid JSON,
// whatever bytes a legacy row holds.
#include <string>
#include <string_view>

#include "quillon/value.h"

namespace quillon::cli {

std::string jsonString(std::string_view text);
std::string jsonValue(const Value& v);  // NULL and Empty as null

}  // namespace quillon::cli
