#include "quillon/error.h"

namespace quillon {

const char* errorKindName(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::Refused:
      return "refused";
    case ErrorKind::Locked:
      return "locked";
    case ErrorKind::NotFound:
      return "not found";
    case ErrorKind::InvalidInput:
      return "invalid input";
    case ErrorKind::InvalidPackage:
      return "invalid package";
    case ErrorKind::StorageFull:
      return "storage full";
    case ErrorKind::IO:
      return "I/O";
    case ErrorKind::Engine:
      break;
  }
  return "engine";
}

}  // namespace quillon
