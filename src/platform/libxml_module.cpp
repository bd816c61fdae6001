#include "platform/libxml_module.h"

#include <dlfcn.h>
#include <fmt/core.h>

#include "platform/module_loader.h"
#include "quillon/error.h"

namespace quillon::platform {
namespace {

constexpr const char* kModule = "libquillon_libxml.so";

LibxmlModule load() {
  LibxmlModule m;
  std::string tried;
  if (void* handle = openModule(kModule, tried)) {
    m.transform = reinterpret_cast<QuillonXsltTransform>(dlsym(handle, "quillon_xslt_transform"));
    m.readPackage = reinterpret_cast<QuillonReadPackage>(dlsym(handle, "quillon_read_package"));
    if (m.transform && m.readPackage) return m;
    tried += fmt::format("; {} lacks an entry point", kModule);
  }
  m.failure = fmt::format("the XSLT processor and package reader ({}) cannot be loaded{}", kModule, tried);
  return m;
}

}  // namespace

const LibxmlModule& libxmlModule() {
  static const LibxmlModule loaded = load();
  if (!loaded.failure.empty()) throw Error(loaded.failure);
  return loaded;
}

}  // namespace quillon::platform
