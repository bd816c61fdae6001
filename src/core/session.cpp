#include "core/session.h"

#include "quillon/error.h"

namespace quillon {

engine::Database& Session::database() const {
  if (!db) throw Error(kNoConnection);
  return *db;
}

void Session::noteFailure(std::string_view why) {
  if (lastError.empty()) lastError = why.empty() ? "unknown failure" : why;
}

void Session::silentFailure(const std::exception& e, std::string_view dbfCode) {
  noteFailure(e.what());
  if (silentError) return;
  const auto* known = dynamic_cast<const Error*>(&e);
  silentError.emplace(known ? known->kind() : ErrorKind::Engine, e.what(),
                      std::string(dbfCode.empty() && known ? std::string_view(known->dbfCode()) : dbfCode));
}

}  // namespace quillon
