#include "engine/transaction.h"

#include <fmt/format.h>

#include "engine/failure.h"

namespace quillon::engine {
namespace {

EngineError endedByEngine(const Database& db) {
  return EngineError(
      Failure::TransactionEnded, 0,
      fmt::format("the changes were not stored: the database ended the transaction after a failure ({})",
                  db.lastFailure()));
}

}  // namespace

Transaction::Transaction(Database& db, Intent intent) : db_(db) {
  Connection& c = db_.connection();
  if (!c.inTransaction()) {
    try {
      c.begin(intent);
    } catch (const EngineError& e) {
      throw EngineError(e.failure(), e.code(), fmt::format("cannot begin a transaction: {}", e.what()));
    }
    owns_ = true;
  }
  db_.enterScope();
}

Transaction::~Transaction() {
  db_.leaveScope();
  if (owns_ && !done_ && db_.connection().inTransaction()) db_.connection().rollback();
}

void Transaction::commit() {
  if (done_) return;
  done_ = true;
  Connection& c = db_.connection();
  if (!c.inTransaction()) throw endedByEngine(db_);
  if (!owns_) return;
  try {
    c.commit();
  } catch (const EngineError& e) {
    if (c.inTransaction()) c.rollback();
    throw EngineError(e.failure(), e.code(), fmt::format("the changes were not stored: {}", e.what()));
  }
}

}  // namespace quillon::engine
