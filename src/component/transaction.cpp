#include "quillon/transaction.h"

#include "component/session_access.h"
#include "core/session.h"
#include "engine/transaction.h"

namespace quillon {

Transaction::Transaction(DBFunc& object)
    : scope_(std::make_unique<engine::Transaction>(object.session_->database())) {}

Transaction::~Transaction() = default;

void Transaction::commit() { scope_->commit(); }

}  // namespace quillon
