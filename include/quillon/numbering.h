#pragma once
// The room every numbered column keeps free. Numbers are the largest in use
// plus one, so one row numbered near 2147483647 would make every later copy
// and import overflow: no command and no import takes a number above
// kLargestFreeNumber, and one import moves a column's largest number by at
// most the records it brings plus kNumberingSlack.
#include <cstdint>
#include <limits>

namespace quillon {

inline constexpr std::int64_t kNumberingSlack = std::int64_t{1} << 20;
inline constexpr std::int32_t kLargestFreeNumber =
    static_cast<std::int32_t>(std::numeric_limits<std::int32_t>::max() - kNumberingSlack);

}  // namespace quillon
