#include "platform/transaction.h"

#include <fmt/format.h>

#include "quillon/error.h"

namespace quillon::platform {
namespace {

bool inTransaction(Database& db) { return sqlite3_get_autocommit(db.handle()) == 0; }

Error endedByEngine(Database& db) {
  return Error(
      fmt::format("the changes were not stored: the database ended the transaction after a failure ({})",
                  db.lastFailure()));
}

}  // namespace

Transaction::Transaction(Database& db, TransactionMode mode) : db_(db) {
  if (!inTransaction(db_)) {
    const char* begin = mode == TransactionMode::Immediate ? "BEGIN IMMEDIATE" : "BEGIN";
    if (sqlite3_exec(db_.handle(), begin, nullptr, nullptr, nullptr) != SQLITE_OK)
      throw Error(fmt::format("cannot begin a transaction: {}", sqlite3_errmsg(db_.handle())));
    owns_ = true;
  }
  db_.enterScope();
}

Transaction::~Transaction() {
  db_.leaveScope();
  if (owns_ && !done_ && inTransaction(db_))
    sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
  if (done_) return;
  done_ = true;
  if (!inTransaction(db_)) throw endedByEngine(db_);
  if (!owns_) return;
  if (sqlite3_exec(db_.handle(), "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) return;
  const std::string reason = sqlite3_errmsg(db_.handle());
  if (inTransaction(db_)) sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  throw Error(fmt::format("the changes were not stored: {}", reason));
}

}  // namespace quillon::platform
