#pragma once
// Column values as the text of field elements, written into a buffer of the
// formatter's own so that numbers cost no allocation per cell.
#include <array>
#include <string_view>

#include "quillon/value.h"

namespace quillon::exporting {

class ValueText {
 public:
  // NULL is the package's null marker; whole numbers are written as integers
  // and doubles in their shortest round-trip form (as formatNumber); text as
  // stored. The view is valid until the next call.
  std::string_view operator()(const Value& value);

 private:
  std::array<char, 40> buffer_{};
};

// Appends `value` to a comma-separated identifier list that goes into an SQL
// IN(...): numbers in decimal, text quoted, NULL as NULL.
void appendIdentifier(std::string& list, const Value& value);

}  // namespace quillon::exporting
