#pragma once
// The session behind an object, for the tests and benchmarks that drive a
// subsystem directly. The shared library does not export it.
#include "core/session.h"

namespace quillon {
class DBFunc;
Session& sessionOf(DBFunc& object);
}  // namespace quillon
