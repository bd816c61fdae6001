#pragma once
// The kind of a failure from what the system or the engine said.
#include <cerrno>

#include "quillon/error.h"

namespace quillon::platform {

inline ErrorKind kindOfErrno(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ErrorKind::StorageFull;
    case ENOENT:
    case ENOTDIR:
      return ErrorKind::NotFound;
    default:
      return ErrorKind::IO;
  }
}

}  // namespace quillon::platform
