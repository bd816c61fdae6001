#include "quillon/version.h"

namespace quillon {

const char* libraryVersion() { return QUILLON_VERSION; }

}  // namespace quillon
