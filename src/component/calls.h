#pragma once
// How every public member runs: the reason of an earlier call's failure is
// cleared first, and an error that ends the call is also kept as its reason.
#include <new>
#include <type_traits>
#include <utility>

#include "core/session.h"
#include "quillon/error.h"

namespace quillon::calls {

// Inside the library a failure is an exception; where a member answers one
// with a failure value instead, the code that decides so catches it and
// notes it (Session::silentFailure). This is the one place that turns a
// noted failure into an error again, for a strict caller.
inline void throwIfStrict(Session& session) {
  if (session.strict && session.silentError) throw Error(*session.silentError);
}

// A member that runs its statements one by one, as the caller gave them.
template <class Work>
auto plain(Session& session, Work&& work) {
  session.lastError.clear();
  session.valuesReplaced = 0;
  session.namesChanged.clear();
  session.ownerMade.reset();
  session.silentError.reset();
  try {
    if constexpr (std::is_void_v<decltype(work())>) {
      work();
      throwIfStrict(session);
    } else {
      auto result = work();
      throwIfStrict(session);
      return result;
    }
  } catch (const std::bad_alloc&) {
    // Said as what it is: a caller can free memory or take smaller work.
    const Error outOfMemory(ErrorKind::Engine, "out of memory");
    session.noteFailure(outOfMemory.what());
    throw outOfMemory;
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
