#pragma once
// Making text fit the formats the component writes. Legacy rows and
// arguments may hold any bytes; what leaves the component is valid UTF-8.
#include <string>
#include <string_view>

#include "quillon/text.h"

namespace quillon::platform::utf8 {

inline constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// `text` with every ill-formed sequence, and every character XML 1.0 cannot
// carry (controls other than tab, line feed and carriage return; U+FFFE,
// U+FFFF), replaced by U+FFFD. Returns false, leaving `out` untouched, when
// there is nothing to replace.
bool cleanForXml(std::string_view text, std::string& out);

// `text` with every ill-formed sequence replaced by U+FFFD (characters are
// left as they are). Returns false, leaving `out` untouched, when it is
// well-formed already.
bool replaceIllFormed(std::string_view text, std::string& out);

}  // namespace quillon::platform::utf8
