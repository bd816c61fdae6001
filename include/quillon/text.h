#pragma once
// Checks on the text the component takes in.
#include <string_view>

#include "quillon/export.h"

namespace quillon {

/// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates,
/// nothing above U+10FFFF).
QUILLON_API bool isValidUtf8(std::string_view text);

}  // namespace quillon
