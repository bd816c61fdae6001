#pragma once
// How every public member runs: the reason of an earlier call's failure is
// cleared first, and an error that ends the call is also kept as its reason.
#include <utility>

#include "core/session.h"
#include "quillon/error.h"

namespace quillon::calls {

// A member that runs its statements one by one, as the caller gave them.
template <class Work>
auto plain(Session& session, Work&& work) {
  session.lastError.clear();
  session.valuesReplaced = 0;
  session.namesChanged.clear();
  session.ownerMade.reset();
  try {
    return work();
  } catch (const std::exception& e) {
    session.noteFailure(e.what());
    throw;
  }
}

// A member that reads many rows: one snapshot for all of them.
template <class Work>
auto reads(Session& session, Work&& work) {
  return plain(session, [&] { return session.reading(work); });
}

// A member that writes: one commit, keeping what it wrote before a failure.
template <class Work>
auto writes(Session& session, Work&& work) {
  return plain(session, [&] { return session.writing(work); });
}

}  // namespace quillon::calls
