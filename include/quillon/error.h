#pragma once
// The one error type of the component: a failure that ends a call and reaches
// the caller. Nothing in the public interface throws anything else. It
// carries what kind of failure it is (for a program to act on), the DBF code
// of the report the component showed for it, when there is one, and the
// description the engine or the runtime gave (for people).
#include <stdexcept>
#include <string>

#include "quillon/export.h"

namespace quillon {

enum class ErrorKind {
  Refused,         ///< the component will not do it: a number without headroom, a database that exists
  Locked,          ///< another program holds the database
  NotFound,        ///< a file, folder or database that is not there
  InvalidInput,    ///< a value, statement or call of the caller that does not fit
  InvalidPackage,  ///< a package that is not one this system writes, or that reaches outside itself
  StorageFull,     ///< the disk or the quota is full, or a file may grow no further
  IO,              ///< reading or writing a file failed otherwise
  Engine,          ///< the database engine failed
};

/// "refused", "locked", "not found", "invalid input", "invalid package",
/// "storage full", "I/O", "engine".
QUILLON_API const char* errorKindName(ErrorKind kind);

class QUILLON_API Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& description, std::string dbfCode = {})
      : std::runtime_error(description), kind_(kind), dbfCode_(std::move(dbfCode)) {}
  /// A failure of the engine.
  explicit Error(const std::string& description) : Error(ErrorKind::Engine, description) {}

  ErrorKind kind() const noexcept { return kind_; }
  /// "DBF-00001" to "DBF-00003" when the failure was also reported with that
  /// code, else empty.
  const std::string& dbfCode() const noexcept { return dbfCode_; }
  std::string description() const { return what(); }

 private:
  ErrorKind kind_;
  std::string dbfCode_;
};

}  // namespace quillon
