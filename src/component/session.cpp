#include "component/session.h"

#include "quillon/error.h"

namespace quillon {

platform::Database& Session::database() const {
  if (!db) throw Error(kNoConnection);
  return *db;
}

}  // namespace quillon
