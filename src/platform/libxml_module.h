#pragma once
// The libxml2 module, found and loaded the first time it is needed.
#include <string>

#include "platform/libxml/module.h"

namespace quillon::platform {

struct LibxmlModule {
  QuillonXsltTransform transform = nullptr;
  QuillonReadPackage readPackage = nullptr;
  std::string failure;  // why it could not be loaded, when it could not
};

// Loaded once per process; throws quillon::Error with the reason when the
// module cannot be loaded.
const LibxmlModule& libxmlModule();

}  // namespace quillon::platform
