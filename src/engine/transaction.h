#pragma once
// The two ways a piece of work holds a transaction.
//
// Transaction is all or nothing: it rolls back unless commit() was called, and
// commit() throws when the engine refuses. KeepWritten is the rule of the
// public operations that keep what they wrote before a failure: it commits on
// the way out, also when the work threw, and a COMMIT that fails is rolled
// back and thrown, so no transaction is ever left open behind the caller.
//
// Either scope opened while the connection is already in a transaction joins
// it: the outer scope decides. While any scope is open, a statement that
// would run after the engine ended the transaction on its own (it does after
// some failures, such as a full disk) is refused, so nothing is written
// outside the transaction that was meant to hold it.
#include <type_traits>

#include "engine/database.h"

namespace quillon::engine {

class Transaction {
 public:
  // Throws quillon::Error when the transaction cannot begin.
  explicit Transaction(Database& db, Intent intent = Intent::Write);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // Throws quillon::Error when the engine refuses; the work is then rolled
  // back. A joined scope commits nothing itself.
  void commit();
  bool owns() const { return owns_; }

 private:
  Database& db_;
  bool owns_ = false;
  bool done_ = false;
};

// Runs `work` in a KeepWritten scope and returns its result. A null database
// (an object without connection) runs `work` bare: it fails by its own rules.
template <class Work>
auto keepWritten(Database* db, Intent intent, Work&& work) -> decltype(work()) {
  if (!db) return work();
  Transaction scope(*db, intent);
  try {
    if constexpr (std::is_void_v<decltype(work())>) {
      work();
      scope.commit();
    } else {
      auto result = work();
      scope.commit();
      return result;
    }
  } catch (...) {
    // Keeps what the work wrote before it failed; when this commit fails
    // too, its error replaces the work's. After a commit that threw above,
    // this one does nothing and that error goes on.
    scope.commit();
    throw;
  }
}

}  // namespace quillon::engine
