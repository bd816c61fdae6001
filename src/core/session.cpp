#include "core/session.h"

#include "quillon/error.h"

namespace quillon {

platform::Database& Session::database() const {
  if (!db) throw Error(kNoConnection);
  return *db;
}

void Session::noteFailure(std::string_view why) {
  if (lastError.empty()) lastError = why.empty() ? "unknown failure" : why;
}

void Session::silentFailure(const std::exception& e) {
  noteFailure(e.what());
  if (strict) throw Error(e.what());
}

}  // namespace quillon
