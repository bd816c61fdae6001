#pragma once
// The session behind an object, for the tests and benchmarks that drive a
// subsystem directly. The shared library does not export it.
#include "core/session.h"
#include "quillon/dbfunc.h"

namespace quillon {

// What a DBFunc holds is its session.
struct DBFunc::State : Session {
  using Session::Session;
};

struct DBFuncAccess {
  static Session& session(DBFunc& object) { return *object.session_; }
};

inline Session& sessionOf(DBFunc& object) { return DBFuncAccess::session(object); }

}  // namespace quillon
