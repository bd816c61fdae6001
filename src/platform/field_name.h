#pragma once
// Column names are matched as the engines match them: ASCII letters in any
// case, every other byte as it stands.
#include <strings.h>

#include <string_view>

namespace quillon::platform {

inline bool sameFieldName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace quillon::platform
