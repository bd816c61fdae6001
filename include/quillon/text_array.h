#pragma once
// A one-dimensional array of texts with a lower bound, as the host's arrays
// have: element i is items[i - lowerBound].
#include <optional>
#include <string>
#include <vector>

#include "quillon/export.h"

namespace quillon {

struct TextArray {
  int lowerBound = 1;
  std::vector<std::string> items;

  bool has(int index) const {
    return index >= lowerBound && index - lowerBound < static_cast<int>(items.size());
  }
  const std::string& at(int index) const;  ///< throws quillon::Error when absent
};

}  // namespace quillon
