#pragma once
// The one error type of the component: a failure that ends a call and reaches
// the caller. It carries the description the engine or the runtime gave.
#include <stdexcept>
#include <string>

#include "quillon/export.h"

namespace quillon {

class QUILLON_API Error : public std::runtime_error {
 public:
  explicit Error(const std::string& description) : std::runtime_error(description) {}
  const std::string description() const { return what(); }
};

}  // namespace quillon
