#pragma once
// Minimal JSON text output for the command's machine-readable lines.
#include <string>
#include <string_view>

#include "quillon/value.h"

namespace quillon::cli {

std::string jsonString(std::string_view text);
std::string jsonValue(const Value& v);  // NULL and Empty as null

}  // namespace quillon::cli
