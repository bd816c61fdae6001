#pragma once
// All or nothing over several members of one object: what the members write
// while the scope lives is stored by commit() and by nothing else. Members
// that would commit on their own join the scope instead. Destroyed without
// commit() (an exception, an early return), the scope rolls everything back.
#include <memory>

#include "quillon/dbfunc.h"
#include "quillon/export.h"

namespace quillon {

namespace engine {
class Transaction;
}

class QUILLON_API Transaction {
 public:
  /// Waits for the write lock like any writer; throws quillon::Error when the
  /// object has no connection or the transaction cannot begin.
  explicit Transaction(DBFunc& object);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  /// Stores the work; throws quillon::Error with the engine's reason when it
  /// cannot, and the work is then rolled back.
  void commit();

 private:
  std::unique_ptr<engine::Transaction> scope_;
};

}  // namespace quillon
