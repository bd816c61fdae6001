#pragma once
// How an engine says a statement failed. The house sees one error type: an
// engine's failure is a quillon::Error whose kind follows from the failure,
// and which keeps the engine's own code and text for whoever needs them.
#include <string>

#include "quillon/error.h"

namespace quillon::engine {

enum class Failure {
  Busy,              // another connection holds what the statement needs
  Constraint,        // a unique, not-null or check rule refused the row
  Syntax,            // the text is not a statement the engine can run
  Full,              // the disk, the quota or the file's own limit
  IO,                // reading or writing the store failed
  TransactionEnded,  // the engine ended the transaction after a failure
  Other,
};

ErrorKind kindOf(Failure failure);

class EngineError : public Error {
 public:
  EngineError(Failure failure, int code, const std::string& text)
      : Error(kindOf(failure), text), failure_(failure), code_(code) {}
  Failure failure() const noexcept { return failure_; }
  int code() const noexcept { return code_; }  // the engine's own number

 private:
  Failure failure_;
  int code_;
};

inline ErrorKind kindOf(Failure failure) {
  switch (failure) {
    case Failure::Busy:
      return ErrorKind::Locked;
    case Failure::Full:
      return ErrorKind::StorageFull;
    case Failure::IO:
      return ErrorKind::IO;
    case Failure::Constraint:
    case Failure::Syntax:
      return ErrorKind::InvalidInput;
    case Failure::TransactionEnded:
    case Failure::Other:
      break;
  }
  return ErrorKind::Engine;
}

}  // namespace quillon::engine
