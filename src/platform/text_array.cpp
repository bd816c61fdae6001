#include "quillon/text_array.h"

#include "quillon/error.h"

namespace quillon {

const std::string& TextArray::at(int index) const {
  if (!has(index)) throw Error(ErrorKind::InvalidInput, "Subscript out of range");
  return items[static_cast<std::size_t>(index - lowerBound)];
}

}  // namespace quillon
